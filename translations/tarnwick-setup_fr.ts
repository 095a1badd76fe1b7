<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>ActionRunner</name>
    <message>
        <source>Could not create the request folder: the temporary folder %1 does not exist</source>
        <translation>Impossible de créer le dossier de requête&#xa0;: le dossier temporaire %1 n’existe pas</translation>
    </message>
    <message>
        <source>Could not write the request file %1: %2</source>
        <translation>Impossible d’écrire le fichier de requête %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>%1 more bytes of output were left out; only the first 16 MiB are shown.</source>
        <translation>%1 octets de sortie supplémentaires ont été omis&#xa0;; seuls les 16 premiers Mio sont affichés.</translation>
    </message>
    <message>
        <source>Could not create the request folder %1: %2</source>
        <translation>Impossible de créer le dossier de requête %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Did not run: others could rename or replace what is in the temporary folder %1, so the request could be swapped before it runs with administrator rights. Set TMPDIR to a folder that only you can write to.</source>
        <translation>Non exécuté&#xa0;: d’autres utilisateurs pourraient renommer ou remplacer le contenu du dossier temporaire %1 et ainsi substituer la requête avant qu’elle ne s’exécute avec les droits d’administrateur. Faites pointer TMPDIR vers un dossier où vous seul pouvez écrire.</translation>
    </message>
    <message>
        <source>Did not run: the temporary folder %1 belongs to another user, who could swap the request before it runs with administrator rights. Set TMPDIR to a folder of your own.</source>
        <translation>Non exécuté&#xa0;: le dossier temporaire %1 appartient à un autre utilisateur, qui pourrait substituer la requête avant qu’elle ne s’exécute avec les droits d’administrateur. Faites pointer TMPDIR vers un dossier qui vous appartient.</translation>
    </message>
    <message>
        <source>Could not start %1: %2</source>
        <translation>Impossible de démarrer %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Did not run: the app is quitting.</source>
        <translation>Non exécuté&#xa0;: l’application est en train de se fermer.</translation>
    </message>
</context>
<context>
    <name>ChildProcess</name>
    <message>
        <source>Could not start a program: no program was given</source>
        <translation>Impossible de démarrer un programme&#xa0;: aucun programme n’a été indiqué</translation>
    </message>
    <message>
        <source>Could not start %1: %2</source>
        <translation>Impossible de démarrer %1&#xa0;: %2</translation>
    </message>
</context>
<context>
    <name>FieldRowsWidget</name>
    <message>
        <source>Choose a network interface</source>
        <translation>Choisir une interface réseau</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Parcourir…</translation>
    </message>
</context>
<context>
    <name>FormWidget</name>
    <message>
        <source>Copy personal invitation</source>
        <translation>Copier l’invitation personnelle</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>Opération</translation>
    </message>
    <message>
        <source>Action running</source>
        <translation>Action en cours</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
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
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;New Window</source>
        <translation>&amp;Nouvelle fenêtre</translation>
    </message>
    <message>
        <source>&amp;Close Window</source>
        <translation>&amp;Fermer la fenêtre</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>Reinstall Tarnwick Server to restore its setup forms.</source>
        <translation>Réinstallez Tarnwick Server pour rétablir ses formulaires de configuration.</translation>
    </message>
    <message>
        <source>The action keeps running with administrator rights, but its output will not be shown. Close anyway?</source>
        <translation>L’action continue de s’exécuter avec les droits d’administrateur, mais sa sortie ne sera pas affichée. Fermer quand même&#xa0;?</translation>
    </message>
</context>
<context>
    <name>ResultBox</name>
    <message>
        <source>Result</source>
        <translation>Résultat</translation>
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
