<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Produktname</source>
        <translation>Product name</translation>
    </message>
    <message>
        <source>Versionsangaben</source>
        <translation>Version details</translation>
    </message>
    <message>
        <source>Urheberrechtsvermerk</source>
        <translation>Copyright notice</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Profiler version: </source>
        <translation>Profiler version: </translation>
    </message>
</context>
<context>
    <name>ProxyDialog</name>
    <message>
        <source>Proxy-Server Konfiguration</source>
        <translation>Proxy server settings</translation>
    </message>
    <message>
        <source>Adresse:</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Typ:</source>
        <translation>Type:</translation>
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
        <translation>The proxy server needs a password</translation>
    </message>
    <message>
        <source>Benutzername:</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>Kennwort:</source>
        <translation>Password:</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>manual</source>
        <translation>Manual</translation>
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
        <translation>For Support-Requests please contact %1&lt;br&gt;&lt;br&gt;by E-Mail: &lt;a href=&quot;%3&quot;&gt;%2&lt;/a&gt;&lt;br&gt;or by Phone: %4&lt;br&gt;&lt;br&gt;providing the following information:&lt;br&gt;Product: %1 %5&lt;br&gt;Version: %6, build %7 %9&lt;br&gt;Profiler version: %8&lt;br&gt;OS Version: %10</translation>
    </message>
</context>
<context>
    <name>UpdateDialog</name>
    <message>
        <source>Nach Updates suchen...</source>
        <translation>Check for updates...</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Suche nach Updates...</source>
        <translation>Checking for updates...</translation>
    </message>
    <message>
        <source>Automatisch nach Updates suchen</source>
        <translation>Check for updates automatically</translation>
    </message>
    <message>
        <source>Proxy Server Konfiguration</source>
        <translation>Proxy server settings</translation>
    </message>
    <message>
        <source>rErrParse</source>
        <translation>The update service gave no readable answer. Please try again later.</translation>
    </message>
    <message>
        <source>rTimeout</source>
        <translation>The update service did not answer in time. Please check your network connection or proxy settings.</translation>
    </message>
    <message>
        <source>rErrUnknown</source>
        <translation>The update service could not be reached. Please check your network connection or proxy settings.</translation>
    </message>
    <message>
        <source>%1 %2 is up-to-date.</source>
        <translation>%1 %2 is up-to-date.</translation>
    </message>
    <message>
        <source>A newer version of %1 %2&lt;br&gt;is available:&lt;br&gt;Installed version: %3&lt;br&gt;&lt;b&gt;Latest version: %5&lt;br&gt;</source>
        <translation>A newer version of %1 %2&lt;br&gt;is available:&lt;br&gt;Installed version: %3&lt;br&gt;&lt;b&gt;Latest version: %5&lt;br&gt;</translation>
    </message>
    <message>
        <source>Download version %5 now&amp;hellip;</source>
        <translation>Download version %5 now&amp;hellip;</translation>
    </message>
</context>
</TS>
