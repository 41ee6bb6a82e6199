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
</TS>
