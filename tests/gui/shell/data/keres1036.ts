<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>vexilor::strings</name>
    <message>
        <source>&lt;internal&gt;</source>
        <translation>bibliothèque française</translation>
    </message>
</context>
<context>
    <name>vexilor::CMainFrame</name>
    <message>
        <source>Change &amp;Intercom...</source>
        <translation>Changer d&apos;&amp;intercom...</translation>
    </message>
</context>
</TS>
