<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>pq_PreferencesDialog</name>
    <message>
        <source>Preferences Dialog</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>∆E in Color Patches: green until</source>
        <translation>∆E in Farbfeldern: grün bis</translation>
    </message>
    <message>
        <source>∆E in Color Patches: red starting from</source>
        <translation>∆E in Farbfeldern: rot ab</translation>
    </message>
    <message>
        <source>∆E in Neutral Patches: red starting from</source>
        <translation>∆E in Graufeldern: rot ab</translation>
    </message>
    <message>
        <source>Lightness in Neutral Patches: red starting from</source>
        <translation>Helligkeit in Graufeldern: rot ab</translation>
    </message>
    <message>
        <source>Chroma in Neutral Patches: red starting from</source>
        <translation>Buntheit in Graufeldern: rot ab</translation>
    </message>
    <message>
        <source>Overall ∆E Average: red starting from</source>
        <translation>Mittleres ∆E insgesamt: rot ab</translation>
    </message>
    <message>
        <source>Picker Area</source>
        <translation>Messbereich der Pipette</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
    <message>
        <source>english</source>
        <translation>Englisch</translation>
    </message>
    <message>
        <source>german</source>
        <translation>Deutsch</translation>
    </message>
    <message>
        <source>french</source>
        <translation>Französisch</translation>
    </message>
    <message>
        <source>italian</source>
        <translation>Italienisch</translation>
    </message>
    <message>
        <source>spanish</source>
        <translation>Spanisch</translation>
    </message>
    <message>
        <source>japanese</source>
        <translation>Japanisch</translation>
    </message>
    <message>
        <source>russian</source>
        <translation>Russisch</translation>
    </message>
    <message>
        <source>chinese</source>
        <translation>Chinesisch</translation>
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
