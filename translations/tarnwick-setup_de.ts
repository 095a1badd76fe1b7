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
    <message>
        <source>%1 more bytes of output were left out; only the first 16 MiB are shown.</source>
        <translation>%1 weitere Bytes der Ausgabe wurden weggelassen; nur die ersten 16 MiB werden angezeigt.</translation>
    </message>
    <message>
        <source>Could not create the request folder %1: %2</source>
        <translation>Der Auftragsordner %1 konnte nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Did not run: others could rename or replace what is in the temporary folder %1, so the request could be swapped before it runs with administrator rights. Set TMPDIR to a folder that only you can write to.</source>
        <translation>Nicht ausgeführt: Andere könnten im temporären Ordner %1 Einträge umbenennen oder ersetzen und so den Auftrag austauschen, bevor er mit Administratorrechten läuft. Setzen Sie TMPDIR auf einen Ordner, in den nur Sie schreiben können.</translation>
    </message>
    <message>
        <source>Did not run: the temporary folder %1 belongs to another user, who could swap the request before it runs with administrator rights. Set TMPDIR to a folder of your own.</source>
        <translation>Nicht ausgeführt: Der temporäre Ordner %1 gehört einem anderen Benutzer, der den Auftrag austauschen könnte, bevor er mit Administratorrechten läuft. Setzen Sie TMPDIR auf einen eigenen Ordner.</translation>
    </message>
    <message>
        <source>Could not start %1: %2</source>
        <translation>%1 konnte nicht gestartet werden: %2</translation>
    </message>
    <message>
        <source>Did not run: the app is quitting.</source>
        <translation>Nicht ausgeführt: Die Anwendung wird beendet.</translation>
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
    <name>FieldRowsWidget</name>
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
    <name>FormWidget</name>
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
        <source>The action keeps running with administrator rights, but its output will not be shown. Close anyway?</source>
        <translation>Die Aktion läuft mit Administratorrechten weiter, aber ihre Ausgabe wird nicht angezeigt. Trotzdem schließen?</translation>
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
    <name>TarnwickSetup</name>
    <message>
        <source>Tarnwick Server Setup</source>
        <translatorcomment>The application&apos;s name, as in its desktop entry: kept as it is.</translatorcomment>
        <translation>Tarnwick Server Setup</translation>
    </message>
</context>
</TS>
