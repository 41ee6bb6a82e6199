<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB">
<context>
    <name>pq_PreferencesDialog</name>
    <message>
        <source>Preferences Dialog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>∆E in Color Patches: green until</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>∆E in Color Patches: red starting from</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>∆E in Neutral Patches: red starting from</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lightness in Neutral Patches: red starting from</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chroma in Neutral Patches: red starting from</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overall ∆E Average: red starting from</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Picker Area</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Language</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>english</source>
        <translation>English</translation>
    </message>
    <message>
        <source>german</source>
        <translation>German</translation>
    </message>
    <message>
        <source>french</source>
        <translation>French</translation>
    </message>
    <message>
        <source>italian</source>
        <translation>Italian</translation>
    </message>
    <message>
        <source>spanish</source>
        <translation>Spanish</translation>
    </message>
    <message>
        <source>japanese</source>
        <translation>Japanese</translation>
    </message>
    <message>
        <source>russian</source>
        <translation>Russian</translation>
    </message>
    <message>
        <source>chinese</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <source>GERMAN: Die Spracheinstellungen werden beim nächsten Programmstart übernommen.</source>
        <translation>Die Spracheinstellungen werden beim nächsten Programmstart übernommen.</translation>
    </message>
    <message>
        <source>FRENCH: The changed language will take effect after the next start of the program.</source>
        <translation>La nouvelle langue sera appliquée au prochain démarrage du programme.</translation>
    </message>
    <message>
        <source>ITALIAN: The changed language will take effect after the next start of the program.</source>
        <translation>La nuova lingua sarà applicata al prossimo avvio del programma.</translation>
    </message>
    <message>
        <source>SPANISH: The changed language will take effect after the next start of the program.</source>
        <translation>El nuevo idioma se aplicará en el próximo inicio del programa.</translation>
    </message>
    <message>
        <source>JAPANESE: The changed language will take effect after the next start of the program.</source>
        <translation>変更した言語は、次回プログラムを起動したときに有効になります。</translation>
    </message>
    <message>
        <source>RUSSIAN: The changed language will take effect after the next start of the program.</source>
        <translation>Новый язык вступит в силу при следующем запуске программы.</translation>
    </message>
    <message>
        <source>CHINESE: The changed language will take effect after the next start of the program.</source>
        <translation>更改的语言将在下次启动程序后生效。</translation>
    </message>
    <message>
        <source>ENGLISH: The changed language will take effect after the next start of the program.</source>
        <translation>The changed language will take effect after the next start of the program.</translation>
    </message>
</context>
</TS>
