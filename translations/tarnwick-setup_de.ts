<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>ActionRunner</name>
    <message>
        <source>Could not create the request folder: the temporary folder %1 does not exist</source>
        <translation>Der Auftragsordner konnte nicht angelegt werden: Der temporäre Ordner %1 existiert nicht</translation>
    </message>
    <message>
        <source>Could not write the request file %1: %2</source>
        <translation>Die Auftragsdatei %1 konnte nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>ChildProcess</name>
    <message>
        <source>Could not start a program: no program was given</source>
        <translation>Es konnte kein Programm gestartet werden: Es wurde keines angegeben</translation>
    </message>
    <message>
        <source>Could not start %1: %2</source>
        <translation>%1 konnte nicht gestartet werden: %2</translation>
    </message>
</context>
<context>
    <name>FieldRows</name>
    <message>
        <source>Choose a network interface</source>
        <translation>Netzwerkschnittstelle auswählen</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Durchsuchen…</translation>
    </message>
</context>
<context>
    <name>FormView</name>
    <message>
        <source>Copy personal invitation</source>
        <translation>Persönliche Einladung kopieren</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>Vorgang</translation>
    </message>
    <message>
        <source>Action running</source>
        <translation>Aktion läuft</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Tarnwick Server Setup</source>
        <translatorcomment>The application&apos;s name, as in its desktop entry: kept as it is.</translatorcomment>
        <translation>Tarnwick Server Setup</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;New Window</source>
        <translation>&amp;Neues Fenster</translation>
    </message>
    <message>
        <source>&amp;Close Window</source>
        <translation>Fenster &amp;schließen</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Reinstall Tarnwick Server to restore its setup forms.</source>
        <translation>Installieren Sie Tarnwick Server neu, um seine Einrichtungsformulare wiederherzustellen.</translation>
    </message>
    <message>
        <source>An action is still running. Close anyway?</source>
        <translation>Eine Aktion läuft noch. Trotzdem schließen?</translation>
    </message>
</context>
<context>
    <name>ResultBox</name>
    <message>
        <source>Result</source>
        <translation>Ergebnis</translation>
    </message>
</context>
<context>
    <name>RunningRequests</name>
    <message>
        <source>Could not create the request folder %1: the app is quitting</source>
        <translation>Der Auftragsordner %1 konnte nicht angelegt werden: Die Anwendung wird beendet</translation>
    </message>
    <message>
        <source>Could not create the request folder %1: %2</source>
        <translation>Der Auftragsordner %1 konnte nicht angelegt werden: %2</translation>
    </message>
</context>
<context>
    <name>TarnwickSetup</name>
    <message>
        <source>Tarnwick Server Setup</source>
        <translatorcomment>The application&apos;s name, as in its desktop entry: kept as it is.</translatorcomment>
        <translation>Tarnwick Server Setup</translation>
    </message>
</context>
</TS>
