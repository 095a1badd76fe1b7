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
    <name>FieldRows</name>
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
    <name>FormView</name>
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
        <source>An action is still running. Close anyway?</source>
        <translation>Une action est encore en cours. Fermer quand même&#xa0;?</translation>
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
    <name>RunningRequests</name>
    <message>
        <source>Could not create the request folder %1: the app is quitting</source>
        <translation>Impossible de créer le dossier de requête %1&#xa0;: l’application se ferme</translation>
    </message>
    <message>
        <source>Could not create the request folder %1: %2</source>
        <translation>Impossible de créer le dossier de requête %1&#xa0;: %2</translation>
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
