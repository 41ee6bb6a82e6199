<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Produktname</source>
        <translation>Produktname</translation>
    </message>
    <message>
        <source>Versionsangaben</source>
        <translation>Versionsangaben</translation>
    </message>
    <message>
        <source>Urheberrechtsvermerk</source>
        <translation>Urheberrechtsvermerk</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Profiler version: </source>
        <translation>Profiler-Version: </translation>
    </message>
</context>
<context>
    <name>ProxyDialog</name>
    <message>
        <source>Proxy-Server Konfiguration</source>
        <translation>Proxy-Server-Konfiguration</translation>
    </message>
    <message>
        <source>Adresse:</source>
        <translation>Adresse:</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Typ:</source>
        <translation>Typ:</translation>
    </message>
    <message>
        <source>HTTP</source>
        <translation>HTTP</translation>
    </message>
    <message>
        <source>SOCKS5</source>
        <translation>SOCKS 5</translation>
    </message>
    <message>
        <source>Kennwort für Proxy-Server erforderlich</source>
        <translation>Kennwort für Proxy-Server erforderlich</translation>
    </message>
    <message>
        <source>Benutzername:</source>
        <translation>Benutzername:</translation>
    </message>
    <message>
        <source>Kennwort:</source>
        <translation>Kennwort:</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>manual</source>
        <translation>Handbuch</translation>
    </message>
</context>
<context>
    <name>SupportDialog</name>
    <message>
        <source>Support</source>
        <translation>Support</translation>
    </message>
    <message>
        <source>For Support-Requests please contact %1&lt;br&gt;&lt;br&gt;by E-Mail: &lt;a href=&quot;%3&quot;&gt;%2&lt;/a&gt;&lt;br&gt;or by Phone: %4&lt;br&gt;&lt;br&gt;providing the following information:&lt;br&gt;Product: %1 %5&lt;br&gt;Version: %6, build %7 %9&lt;br&gt;Profiler version: %8&lt;br&gt;OS Version: %10</source>
        <translation>Für Support-Anfragen wenden Sie sich bitte an %1&lt;br&gt;&lt;br&gt;per E-Mail: &lt;a href=&quot;%3&quot;&gt;%2&lt;/a&gt;&lt;br&gt;oder per Telefon: %4&lt;br&gt;&lt;br&gt;mit folgenden Angaben:&lt;br&gt;Produkt: %1 %5&lt;br&gt;Version: %6, Build %7 %9&lt;br&gt;Profiler-Version: %8&lt;br&gt;Betriebssystem: %10</translation>
    </message>
</context>
<context>
    <name>UpdateDialog</name>
    <message>
        <source>Nach Updates suchen...</source>
        <translation>Nach Updates suchen...</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Suche nach Updates...</source>
        <translation>Suche nach Updates...</translation>
    </message>
    <message>
        <source>Automatisch nach Updates suchen</source>
        <translation>Automatisch nach Updates suchen</translation>
    </message>
    <message>
        <source>Proxy Server Konfiguration</source>
        <translation>Proxy-Server-Konfiguration</translation>
    </message>
    <message>
        <source>rErrParse</source>
        <translation>Der Update-Dienst gab keine lesbare Antwort. Bitte versuchen Sie es später noch einmal.</translation>
    </message>
    <message>
        <source>rTimeout</source>
        <translation>Der Update-Dienst hat nicht rechtzeitig geantwortet. Bitte prüfen Sie die Netzwerkverbindung oder die Proxy-Einstellungen.</translation>
    </message>
    <message>
        <source>rErrUnknown</source>
        <translation>Der Update-Dienst ist nicht erreichbar. Bitte prüfen Sie die Netzwerkverbindung oder die Proxy-Einstellungen.</translation>
    </message>
    <message>
        <source>%1 %2 is up-to-date.</source>
        <translation>%1 %2 ist auf dem neuesten Stand.</translation>
    </message>
    <message>
        <source>A newer version of %1 %2&lt;br&gt;is available:&lt;br&gt;Installed version: %3&lt;br&gt;&lt;b&gt;Latest version: %5&lt;br&gt;</source>
        <translation>Eine neuere Version von %1 %2&lt;br&gt;ist verfügbar:&lt;br&gt;Installierte Version: %3&lt;br&gt;&lt;b&gt;Neueste Version: %5&lt;br&gt;</translation>
    </message>
    <message>
        <source>Download version %5 now&amp;hellip;</source>
        <translation>Version %5 jetzt herunterladen&amp;hellip;</translation>
    </message>
</context>
</TS>
