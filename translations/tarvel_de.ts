<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Spinner</name>
    <message>
        <source>Busy</source>
        <translation>Beschäftigt</translation>
    </message>
</context>
<context>
    <name>SymbolButton</name>
    <message>
        <source>Unavailable</source>
        <translation>Nicht verfügbar</translation>
    </message>
</context>
<context>
    <name>tarvel::BrowserPresenter</name>
    <message>
        <source>Android device</source>
        <translation>Android-Gerät</translation>
    </message>
    <message>
        <source>No phone connected</source>
        <translation>Kein Telefon verbunden</translation>
    </message>
    <message>
        <source>Connected device</source>
        <translation>Verbundenes Gerät</translation>
    </message>
    <message>
        <source>%1 available of %2</source>
        <translation>%1 von %2 frei</translation>
    </message>
    <message>
        <source>%1 available</source>
        <translation>%1 frei</translation>
    </message>
    <message>
        <source>%1 capacity</source>
        <translation>%1 Kapazität</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %Ln item(s)</source>
        <translation>
            <numerusform>%1 von %Ln Objekt</numerusform>
            <numerusform>%1 von %Ln Objekten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln item(s)</source>
        <translation>
            <numerusform>%Ln Objekt</numerusform>
            <numerusform>%Ln Objekte</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln item(s) selected</source>
        <translation>
            <numerusform>%Ln Objekt ausgewählt</numerusform>
            <numerusform>%Ln Objekte ausgewählt</numerusform>
        </translation>
    </message>
    <message>
        <source>0 bytes</source>
        <translation>0 Byte</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Phone order</source>
        <translation>Reihenfolge des Telefons</translation>
    </message>
    <message>
        <source>Looking for phones</source>
        <translation>Telefone werden gesucht</translation>
    </message>
    <message>
        <source>No Android device</source>
        <translation>Kein Android-Gerät</translation>
    </message>
    <message>
        <source>Files unavailable</source>
        <translation>Dateien nicht verfügbar</translation>
    </message>
    <message>
        <source>Loading files</source>
        <translation>Dateien werden geladen</translation>
    </message>
    <message>
        <source>No files</source>
        <translation>Keine Dateien</translation>
    </message>
    <message>
        <source>Checking what is connected over USB.</source>
        <translation>Es wird geprüft, was über USB verbunden ist.</translation>
    </message>
    <message>
        <source>Use a data-capable USB cable, unlock the device, choose USB File transfer, then press Refresh. If it still does not appear, try another cable or USB port.</source>
        <translation>Verwenden Sie ein datenfähiges USB-Kabel, entsperren Sie das Gerät, wählen Sie den USB-Modus „Dateiübertragung“ und klicken Sie dann auf „Aktualisieren“. Erscheint es weiterhin nicht, versuchen Sie ein anderes Kabel oder einen anderen USB-Anschluss.</translation>
    </message>
    <message>
        <source>Reading the selected storage.</source>
        <translation>Der ausgewählte Speicher wird gelesen.</translation>
    </message>
    <message>
        <source>This folder is empty.</source>
        <translation>Dieser Ordner ist leer.</translation>
    </message>
    <message>
        <source>Internal storage</source>
        <translation>Interner Speicher</translation>
    </message>
    <message>
        <source>SD card</source>
        <translation>SD-Karte</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Phone</source>
        <translation>Telefon</translation>
    </message>
    <message>
        <source>Storage</source>
        <translation>Speicher</translation>
    </message>
    <message>
        <source>Sort by</source>
        <translation>Sortieren nach</translation>
    </message>
    <message>
        <source>Reverse the order</source>
        <translation>Reihenfolge umkehren</translation>
    </message>
    <message>
        <source>Filter by name</source>
        <translation>Nach Namen filtern</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filtern</translation>
    </message>
    <message>
        <source>Opening %1 once the file being copied is done...</source>
        <translation>%1 wird geöffnet, sobald die Datei fertig kopiert ist...</translation>
    </message>
</context>
<context>
    <name>tarvel::ByteCount</name>
    <message>
        <source>Zero KB</source>
        <translation>0 KB</translation>
    </message>
</context>
<context>
    <name>tarvel::CommandLine</name>
    <message>
        <source>Move files between this computer and an Android phone over USB.</source>
        <translation>Dateien über USB zwischen diesem Computer und einem Android-Telefon übertragen.</translation>
    </message>
</context>
<context>
    <name>tarvel::ContentView</name>
    <message>
        <source>Tarvel is still copying %1. Quitting stops the copy; nothing half-copied is kept.</source>
        <translation>Tarvel kopiert noch %1. Beenden bricht das Kopieren ab; halb kopierte Dateien werden nicht behalten.</translation>
    </message>
    <message>
        <source>Stop the transfer and quit?</source>
        <translation>Übertragung abbrechen und beenden?</translation>
    </message>
    <message>
        <source>Stop and Quit</source>
        <translation>Abbrechen und beenden</translation>
    </message>
    <message>
        <source>Keep Copying</source>
        <translation>Weiter kopieren</translation>
    </message>
    <message>
        <source>Tarvel is still copying %1. Quitting stops the copy; the next time this phone is connected, Tarvel offers to finish it.</source>
        <translation>Tarvel kopiert noch %1. Beenden hält die Kopie an; wenn dieses Telefon das nächste Mal verbunden ist, bietet Tarvel an, sie fertigzustellen.</translation>
    </message>
</context>
<context>
    <name>tarvel::DemoCommandLine</name>
    <message>
        <source>Try Tarvel without a phone: a local folder plays the phone&apos;s storage.</source>
        <translation>Tarvel ohne Telefon ausprobieren: Ein Ordner auf diesem Computer spielt den Speicher des Telefons.</translation>
    </message>
    <message>
        <source>FOLDER</source>
        <translation>ORDNER</translation>
    </message>
    <message>
        <source>The folder that plays the phone&apos;s storage; without one, a fresh copy of the sample phone.</source>
        <translation>Der Ordner, der den Speicher des Telefons spielt; ohne ihn eine frische Kopie des Beispieltelefons.</translation>
    </message>
    <message>
        <source>Copy at about 1 MB/s, so transfers take visible time.</source>
        <translation>Mit etwa 1 MB/s kopieren, damit Übertragungen sichtbar Zeit brauchen.</translation>
    </message>
    <message>
        <source>The sample phone could not be copied; give a folder to play the phone.</source>
        <translation>Das Beispieltelefon konnte nicht kopiert werden; geben Sie einen Ordner an, der das Telefon spielt.</translation>
    </message>
    <message>
        <source>Not a folder: %1</source>
        <translation>Kein Ordner: %1</translation>
    </message>
    <message>
        <source>Give one folder to play the phone, or none for the sample phone.</source>
        <translation>Geben Sie einen Ordner an, der das Telefon spielt, oder keinen für das Beispieltelefon.</translation>
    </message>
</context>
<context>
    <name>tarvel::DesktopNotifier</name>
    <message>
        <source>Show in Folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
</context>
<context>
    <name>tarvel::DonationPresenter</name>
    <message>
        <source>Support development</source>
        <translation>Entwicklung unterstützen</translation>
    </message>
    <message>
        <source>Tarvel 2 is maintained independently by Orvath.</source>
        <translation>Tarvel 2 wird unabhängig von Orvath gepflegt.</translation>
    </message>
    <message>
        <source>BTC SegWit</source>
        <translation>BTC SegWit</translation>
    </message>
    <message>
        <source>BTC donation QR code</source>
        <translation>QR-Code für BTC-Spenden</translation>
    </message>
    <message>
        <source>Copy BTC Address</source>
        <translation>BTC-Adresse kopieren</translation>
    </message>
    <message>
        <source>Open Ko-fi</source>
        <translation>Ko-fi öffnen</translation>
    </message>
    <message>
        <source>Open Bitcoin Wallet</source>
        <translation>Bitcoin-Wallet öffnen</translation>
    </message>
</context>
<context>
    <name>tarvel::FileActionsPresenter</name>
    <message>
        <source>Rename %1</source>
        <translation>%1 umbenennen</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>Neuer Ordner</translation>
    </message>
    <message>
        <source>New folder</source>
        <translation>Neuer Ordner</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Erstellen</translation>
    </message>
    <message>
        <source>Delete %1 from the phone?</source>
        <translation>%1 vom Telefon löschen?</translation>
    </message>
    <message numerus="yes">
        <source>Delete %Ln item(s) from the phone?</source>
        <translation>
            <numerusform>%Ln Objekt vom Telefon löschen?</numerusform>
            <numerusform>%Ln Objekte vom Telefon löschen?</numerusform>
        </translation>
    </message>
    <message>
        <source>Counting what %1 holds...</source>
        <translation>Inhalt von %1 wird gezählt...</translation>
    </message>
    <message>
        <source>Counting what the folders hold...</source>
        <translation>Inhalt der Ordner wird gezählt...</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s)</source>
        <translation>
            <numerusform>%Ln Datei</numerusform>
            <numerusform>%Ln Dateien</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln folder(s)</source>
        <translation>
            <numerusform>%Ln Ordner</numerusform>
            <numerusform>%Ln Ordner</numerusform>
        </translation>
    </message>
    <message>
        <source> and </source>
        <translation> und </translation>
    </message>
    <message>
        <source>This deletes %1 from the phone. It cannot be undone: the phone has no trash.</source>
        <translation>Dies löscht %1 vom Telefon. Das lässt sich nicht rückgängig machen: Das Telefon hat keinen Papierkorb.</translation>
    </message>
    <message>
        <source>New Folder...</source>
        <translation>Neuer Ordner...</translation>
    </message>
    <message>
        <source>Rename...</source>
        <translation>Umbenennen...</translation>
    </message>
    <message>
        <source>Delete...</source>
        <translation>Löschen...</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
</context>
<context>
    <name>tarvel::ImportPresenter</name>
    <message>
        <source>Looking for camera folders...</source>
        <translation>Kameraordner werden gesucht...</translation>
    </message>
    <message>
        <source>%1 already imported</source>
        <translation>%1 bereits importiert</translation>
    </message>
    <message>
        <source>Nothing new since the last import, %1.</source>
        <translation>Nichts Neues seit dem letzten Import, %1.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln new photo(s) or video(s) (%1) since the last import, %2.</source>
        <translation>
            <numerusform>%Ln neues Foto oder Video (%1) seit dem letzten Import, %2.</numerusform>
            <numerusform>%Ln neue Fotos und Videos (%1) seit dem letzten Import, %2.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln item(s)</source>
        <translation>
            <numerusform>%Ln Objekt</numerusform>
            <numerusform>%Ln Objekte</numerusform>
        </translation>
    </message>
    <message>
        <source>To %1</source>
        <translation>Nach %1</translation>
    </message>
    <message>
        <source>In folders by month (2024/2024-06)</source>
        <translation>In Ordnern nach Monat (2024/2024-06)</translation>
    </message>
    <message>
        <source>All in one folder</source>
        <translation>Alle in einem Ordner</translation>
    </message>
    <message numerus="yes">
        <source>Delete %Ln imported file(s) from the phone (%1)...</source>
        <translation>
            <numerusform>%Ln importierte Datei vom Telefon löschen (%1)...</numerusform>
            <numerusform>%Ln importierte Dateien vom Telefon löschen (%1)...</numerusform>
        </translation>
    </message>
    <message>
        <source>This cannot be undone. Only files whose copy on this computer is complete are deleted; the others stay on the phone.</source>
        <translation>Das lässt sich nicht rückgängig machen. Gelöscht werden nur Dateien, deren Kopie auf diesem Computer vollständig ist; die übrigen bleiben auf dem Telefon.</translation>
    </message>
    <message numerus="yes">
        <source>Delete the %Ln file(s) this import copied from the phone?</source>
        <translation>
            <numerusform>Die %Ln Datei, die dieser Import kopiert hat, vom Telefon löschen?</numerusform>
            <numerusform>Die %Ln Dateien, die dieser Import kopiert hat, vom Telefon löschen?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Deleting %Ln imported file(s) from the phone...</source>
        <translation>
            <numerusform>%Ln importierte Datei wird vom Telefon gelöscht...</numerusform>
            <numerusform>%Ln importierte Dateien werden vom Telefon gelöscht...</numerusform>
        </translation>
    </message>
    <message>
        <source>Import Here</source>
        <translation>Hierhin importieren</translation>
    </message>
    <message>
        <source>Import Photos and Videos</source>
        <translation>Fotos und Videos importieren</translation>
    </message>
    <message>
        <source>Change...</source>
        <translation>Ändern...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>Delete from the phone?</source>
        <translation>Vom Telefon löschen?</translation>
    </message>
    <message>
        <source>Keep on Phone</source>
        <translation>Auf dem Telefon behalten</translation>
    </message>
    <message>
        <source>Delete from Phone</source>
        <translation>Vom Telefon löschen</translation>
    </message>
    <message numerus="yes">
        <source>Looking through %1: %2 of %3 folders, %Ln item(s) so far...</source>
        <translation>
            <numerusform>%1 wird durchsucht: Ordner %2 von %3, bisher %Ln Objekt...</numerusform>
            <numerusform>%1 wird durchsucht: Ordner %2 von %3, bisher %Ln Objekte...</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tarvel::PreviewPresenter</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Left and Right: other pictures · Enter: download · Escape: close</source>
        <translation>Links und Rechts: andere Bilder · Eingabe: herunterladen · Esc: schließen</translation>
    </message>
    <message>
        <source>%1 cannot be shown: it is not a picture this computer can read.</source>
        <translation>%1 kann nicht angezeigt werden: Es ist kein Bild, das dieser Computer lesen kann.</translation>
    </message>
    <message>
        <source>The phone is not connected.</source>
        <translation>Das Telefon ist nicht verbunden.</translation>
    </message>
    <message>
        <source>%1 is larger than %2: download it to see it.</source>
        <translation>%1 ist größer als %2: Laden Sie es herunter, um es anzusehen.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>%1 cannot be shown: at %2 × %3 pixels it is too large a picture to open here. Download it to see it.</source>
        <translation>%1 kann nicht angezeigt werden: Mit %2 × %3 Pixeln ist das Bild zu groß, um es hier zu öffnen. Laden Sie es herunter, um es anzusehen.</translation>
    </message>
</context>
<context>
    <name>tarvel::QtDesktopServices</name>
    <message>
        <source>Save the File</source>
        <translation>Datei speichern</translation>
    </message>
    <message>
        <source>Choose Files</source>
        <translation>Dateien auswählen</translation>
    </message>
    <message>
        <source>Choose a Folder</source>
        <translation>Ordner auswählen</translation>
    </message>
</context>
<context>
    <name>tarvel::RemoteEntryListModel</name>
    <message>
        <source>Name, Z to A</source>
        <translation>Name, Z bis A</translation>
    </message>
    <message>
        <source>Name, A to Z</source>
        <translation>Name, A bis Z</translation>
    </message>
    <message>
        <source>Date, oldest first</source>
        <translation>Datum, älteste zuerst</translation>
    </message>
    <message>
        <source>Date, newest first</source>
        <translation>Datum, neueste zuerst</translation>
    </message>
    <message>
        <source>Size, smallest first</source>
        <translation>Größe, kleinste zuerst</translation>
    </message>
    <message>
        <source>Size, largest first</source>
        <translation>Größe, größte zuerst</translation>
    </message>
    <message>
        <source>Phone order, reversed</source>
        <translation>Reihenfolge des Telefons, umgekehrt</translation>
    </message>
    <message>
        <source>Phone order</source>
        <translation>Reihenfolge des Telefons</translation>
    </message>
    <message>
        <source>d MMM yyyy, HH:mm</source>
        <extracomment>Date and time of a file; Qt&apos;s date format letters (d day, MMM month&apos;s short name, yyyy year, HH:mm time).</extracomment>
        <translation>d. MMM yyyy, HH:mm</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>0 bytes</source>
        <translation>0 Byte</translation>
    </message>
    <message>
        <source>Open %1</source>
        <translation>%1 öffnen</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
    <message>
        <source>Download %1</source>
        <translation>%1 herunterladen</translation>
    </message>
    <message>
        <source>Select %1</source>
        <translation>%1 auswählen</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>Document</source>
        <translation>Dokument</translation>
    </message>
    <message>
        <source>Archive</source>
        <translation>Archiv</translation>
    </message>
</context>
<context>
    <name>tarvel::Sentences</name>
    <message>
        <source>The phone could not be accessed. Check the cable and try again.</source>
        <translation>Auf das Telefon konnte nicht zugegriffen werden. Prüfen Sie das Kabel und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>This account may not use the phone&apos;s USB connection. Sign in at the computer itself, or add a udev rule for the phone, then plug it in again.</source>
        <translation>Dieses Konto darf die USB-Verbindung des Telefons nicht nutzen. Melden Sie sich am Computer selbst an oder richten Sie eine udev-Regel ein und schließen Sie es erneut an.</translation>
    </message>
    <message>
        <source>Eject the phone in Files, then press Refresh.</source>
        <translation>Werfen Sie das Telefon in „Dateien“ aus und klicken Sie dann auf „Aktualisieren“.</translation>
    </message>
    <message>
        <source>KDE&apos;s phone service is using the phone. Run &quot;kquitapp%1 %2&quot;, then press Refresh.</source>
        <translation>Der Telefondienst von KDE verwendet das Telefon. Führen Sie „kquitapp%1 %2“ aus und klicken Sie dann auf „Aktualisieren“.</translation>
    </message>
    <message>
        <source>%1 has the phone mounted as a folder. Unmount it, then press Refresh.</source>
        <translation>%1 hat das Telefon als Ordner eingehängt. Hängen Sie es aus und klicken Sie dann auf „Aktualisieren“.</translation>
    </message>
    <message>
        <source>Another Tarvel window is using the phone. Close it, then press Refresh.</source>
        <translation>Ein anderes Tarvel-Fenster verwendet das Telefon. Schließen Sie es und klicken Sie dann auf „Aktualisieren“.</translation>
    </message>
    <message>
        <source>%1 is using the phone. Close it, then press Refresh.</source>
        <translation>%1 verwendet das Telefon. Schließen Sie es und klicken Sie dann auf „Aktualisieren“.</translation>
    </message>
    <message>
        <source>Another user&apos;s program is using the phone. Close it in that user&apos;s session, then press Refresh.</source>
        <translation>Ein Programm eines anderen Benutzers verwendet das Telefon. Schließen Sie es in dessen Sitzung und klicken Sie dann auf „Aktualisieren“.</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1. %2</source>
        <translation>%1. %2</translation>
    </message>
    <message>
        <source>Check the cable and try again.</source>
        <translation>Prüfen Sie das Kabel und versuchen Sie es erneut.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s)</source>
        <translation>
            <numerusform>%Ln Datei</numerusform>
            <numerusform>%Ln Dateien</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln item(s)</source>
        <translation>
            <numerusform>%Ln Objekt</numerusform>
            <numerusform>%Ln Objekte</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 and %Ln more</source>
        <translation>
            <numerusform>%1 und %Ln weiteres</numerusform>
            <numerusform>%1 und %Ln weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 und %2</translation>
    </message>
    <message>
        <source>Not enough space on the computer&apos;s disk for %1. Make room, then try again.</source>
        <translation>Nicht genug Platz auf dem Datenträger des Computers für %1. Schaffen Sie Platz und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>Could not write %1 on the computer. Choose another folder, then try again.</source>
        <translation>%1 konnte auf dem Computer nicht geschrieben werden. Wählen Sie einen anderen Ordner und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>Could not write %1 on the computer: %2. Choose another folder, then try again.</source>
        <translation>%1 konnte auf dem Computer nicht geschrieben werden: %2. Wählen Sie einen anderen Ordner und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>Could not read %1. Check that it is still there, then try again.</source>
        <translation>%1 konnte nicht gelesen werden. Prüfen Sie, ob die Datei noch vorhanden ist, und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>Could not read %1: %2. Check that it is still there, then try again.</source>
        <translation>%1 konnte nicht gelesen werden: %2. Prüfen Sie, ob die Datei noch vorhanden ist, und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>Connect an Android device with a data-capable USB cable, unlock it, choose USB File transfer, then press Refresh. If it still does not appear, try another cable or USB port.</source>
        <translation>Schließen Sie ein Android-Gerät per Datenkabel an, entsperren Sie es, wählen Sie „Dateiübertragung“, dann „Aktualisieren“. Sonst hilft ein anderes Kabel oder USB-Port.</translation>
    </message>
    <message>
        <source>Unlock the phone and allow file transfer access.</source>
        <translation>Entsperren Sie das Telefon und erlauben Sie den Zugriff für die Dateiübertragung.</translation>
    </message>
    <message>
        <source>Looking for phones...</source>
        <translation>Telefone werden gesucht...</translation>
    </message>
    <message>
        <source>Still no phone found.</source>
        <translation>Noch immer kein Telefon gefunden.</translation>
    </message>
    <message>
        <source>Opening %1...</source>
        <translation>%1 wird geöffnet...</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 ist bereit.</translation>
    </message>
    <message numerus="yes">
        <source>The phone was disconnected after %1 of %Ln file(s). Connect it again, unlock it, then press Refresh.</source>
        <translation>
            <numerusform>Die Verbindung zum Telefon wurde nach %1 von %Ln Datei getrennt. Schließen Sie es erneut an, entsperren Sie es und klicken Sie dann auf „Aktualisieren“.</numerusform>
            <numerusform>Die Verbindung zum Telefon wurde nach %1 von %Ln Dateien getrennt. Schließen Sie es erneut an, entsperren Sie es und klicken Sie dann auf „Aktualisieren“.</numerusform>
        </translation>
    </message>
    <message>
        <source>The phone was disconnected. Connect it again, unlock it, then press Refresh.</source>
        <translation>Die Verbindung zum Telefon wurde getrennt. Schließen Sie es erneut an, entsperren Sie es und klicken Sie dann auf „Aktualisieren“.</translation>
    </message>
    <message>
        <source>%1 was unplugged.</source>
        <translation>%1 wurde abgesteckt.</translation>
    </message>
    <message>
        <source>Showing %1.</source>
        <translation>%1 wird angezeigt.</translation>
    </message>
    <message>
        <source>Showing %1. Some of its items could not be read from the phone.</source>
        <translation>%1 wird angezeigt. Einige Objekte darin konnten nicht vom Telefon gelesen werden.</translation>
    </message>
    <message>
        <source>Could not open %1. Still showing %2.</source>
        <translation>%1 konnte nicht geöffnet werden. Weiterhin wird %2 angezeigt.</translation>
    </message>
    <message>
        <source>%1 was deleted on the phone. Showing %2.</source>
        <translation>%1 wurde auf dem Telefon gelöscht. %2 wird angezeigt.</translation>
    </message>
    <message>
        <source>Type a name.</source>
        <translation>Geben Sie einen Namen ein.</translation>
    </message>
    <message>
        <source>A name cannot contain &quot;/&quot;.</source>
        <translation>Ein Name darf kein „/“ enthalten.</translation>
    </message>
    <message>
        <source>A name cannot contain a null character.</source>
        <translation>Ein Name darf kein Nullzeichen enthalten.</translation>
    </message>
    <message>
        <source>&quot;.&quot; and &quot;..&quot; cannot be used as names.</source>
        <translation>„.“ und „..“ können nicht als Namen verwendet werden.</translation>
    </message>
    <message>
        <source>The name is too long for the phone.</source>
        <translation>Der Name ist für das Telefon zu lang.</translation>
    </message>
    <message>
        <source>There is already a folder named %1 here.</source>
        <translation>Hier gibt es bereits einen Ordner namens %1.</translation>
    </message>
    <message>
        <source>There is already a file named %1 here.</source>
        <translation>Hier gibt es bereits eine Datei namens %1.</translation>
    </message>
    <message>
        <source>Creating the folder %1...</source>
        <translation>Der Ordner %1 wird erstellt...</translation>
    </message>
    <message>
        <source>Created the folder %1.</source>
        <translation>Der Ordner %1 wurde erstellt.</translation>
    </message>
    <message>
        <source>Renaming %1...</source>
        <translation>%1 wird umbenannt...</translation>
    </message>
    <message>
        <source>Renamed %1 to %2.</source>
        <translation>%1 wurde in %2 umbenannt.</translation>
    </message>
    <message>
        <source>Could not create the folder %1. %2</source>
        <translation>Der Ordner %1 konnte nicht erstellt werden. %2</translation>
    </message>
    <message>
        <source>Could not rename %1. %2</source>
        <translation>%1 konnte nicht umbenannt werden. %2</translation>
    </message>
    <message>
        <source>Nothing was deleted: could not look through %1. %2</source>
        <translation>Nichts wurde gelöscht: %1 konnte nicht durchsucht werden. %2</translation>
    </message>
    <message>
        <source>Deleting %1: %2 of %3 done...</source>
        <translation>Löschen: %1, %2 von %3 erledigt...</translation>
    </message>
    <message>
        <source>Deleting %1...</source>
        <translation>Löschen: %1...</translation>
    </message>
    <message>
        <source>Deleted %1.</source>
        <translation>Gelöscht: %1.</translation>
    </message>
    <message>
        <source>Could not delete %1.</source>
        <translation>%1 konnte nicht gelöscht werden.</translation>
    </message>
    <message numerus="yes">
        <source>Deleted %1 of %Ln item(s); %2 still on the phone.</source>
        <translation>
            <numerusform>%1 von %Ln Objekt gelöscht; %2 noch auf dem Telefon.</numerusform>
            <numerusform>%1 von %Ln Objekten gelöscht; %2 noch auf dem Telefon.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 is</source>
        <translation>
            <numerusform>%1 ist</numerusform>
            <numerusform>%1 sind</numerusform>
        </translation>
    </message>
    <message>
        <source>Downloading %1...</source>
        <translation>%1 wird heruntergeladen...</translation>
    </message>
    <message>
        <source>Uploading %1...</source>
        <translation>%1 wird hochgeladen...</translation>
    </message>
    <message>
        <source>Downloaded %1.</source>
        <translation>%1 wurde heruntergeladen.</translation>
    </message>
    <message>
        <source>Uploaded %1.</source>
        <translation>%1 wurde hochgeladen.</translation>
    </message>
    <message>
        <source>The phone stopped the copy of %1</source>
        <translation>Das Telefon hat das Kopieren von %1 abgebrochen</translation>
    </message>
    <message>
        <source>Check that the phone has room for it, then try again.</source>
        <translation>Prüfen Sie, ob auf dem Telefon genug Platz ist, und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>your home folder</source>
        <translation>Ihren persönlichen Ordner</translation>
    </message>
    <message>
        <source>Looking through the folders to download...</source>
        <translation>Die herunterzuladenden Ordner werden durchsucht...</translation>
    </message>
    <message>
        <source>Looking through the files to upload...</source>
        <translation>Die hochzuladenden Dateien werden durchsucht...</translation>
    </message>
    <message numerus="yes">
        <source>; %Ln already there skipped</source>
        <translation>
            <numerusform>; %Ln bereits vorhandene übersprungen</numerusform>
            <numerusform>; %Ln bereits vorhandene übersprungen</numerusform>
        </translation>
    </message>
    <message>
        <source>Downloaded %1</source>
        <translation>%1 heruntergeladen</translation>
    </message>
    <message>
        <source>Uploaded %1</source>
        <translation>%1 hochgeladen</translation>
    </message>
    <message>
        <source>Downloaded %1 to %2</source>
        <translation>%1 nach %2 heruntergeladen</translation>
    </message>
    <message>
        <source>Uploaded %1 to %2</source>
        <translation>%1 nach %2 hochgeladen</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %Ln file(s)</source>
        <translation>
            <numerusform>%1 von %Ln Datei</numerusform>
            <numerusform>%1 von %Ln Dateien</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %Ln failed: %1</source>
        <translation>
            <numerusform>; %Ln fehlgeschlagen: %1</numerusform>
            <numerusform>; %Ln fehlgeschlagen: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %Ln failed, the first: %1</source>
        <translation>
            <numerusform>; %Ln fehlgeschlagen, die erste: %1</numerusform>
            <numerusform>; %Ln fehlgeschlagen, die erste: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The transfer was cancelled after %1 of %Ln file(s)</source>
        <translation>
            <numerusform>Die Übertragung wurde nach %1 von %Ln Datei abgebrochen</numerusform>
            <numerusform>Die Übertragung wurde nach %1 von %Ln Dateien abgebrochen</numerusform>
        </translation>
    </message>
    <message>
        <source>the link leads to itself</source>
        <translation>die Verknüpfung verweist auf sich selbst</translation>
    </message>
    <message>
        <source>it is no longer there</source>
        <translation>sie ist nicht mehr vorhanden</translation>
    </message>
    <message>
        <source>it cannot be read</source>
        <translation>sie kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>it is not a file or a folder</source>
        <translation>sie ist weder Datei noch Ordner</translation>
    </message>
    <message>
        <source>the link leads back into a folder it is in</source>
        <translation>die Verknüpfung verweist zurück in einen Ordner, in dem sie liegt</translation>
    </message>
    <message>
        <source>the folder cannot be read</source>
        <translation>der Ordner kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>it is not a local file</source>
        <translation>sie ist keine lokale Datei</translation>
    </message>
    <message>
        <source>a file on the computer cannot have this name</source>
        <translation>eine Datei auf dem Computer kann diesen Namen nicht haben</translation>
    </message>
    <message>
        <source>a file on the computer cannot have &quot;/&quot; in its name</source>
        <translation>eine Datei auf dem Computer darf kein „/“ im Namen haben</translation>
    </message>
    <message>
        <source>the name is too long for a file on the computer</source>
        <translation>der Name ist für eine Datei auf dem Computer zu lang</translation>
    </message>
    <message>
        <source>Could not create the folder on the computer</source>
        <translation>Der Ordner konnte auf dem Computer nicht erstellt werden</translation>
    </message>
    <message>
        <source>some of its items could not be read from the phone</source>
        <translation>einige Objekte darin konnten nicht vom Telefon gelesen werden</translation>
    </message>
    <message>
        <source>On your phone, change USB mode to File transfer.</source>
        <translation>Stellen Sie am Telefon den USB-Modus auf „Dateiübertragung“ um.</translation>
    </message>
    <message>
        <source>The file could not be copied. Check the cable and try again.</source>
        <translation>Die Datei konnte nicht kopiert werden. Prüfen Sie das Kabel und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>The transfer was cancelled.</source>
        <translation>Die Übertragung wurde abgebrochen.</translation>
    </message>
    <message>
        <source>The phone refused the request</source>
        <translation>Das Telefon hat die Anfrage abgelehnt</translation>
    </message>
    <message>
        <source>Unlock the phone and try again.</source>
        <translation>Entsperren Sie das Telefon und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Not enough space on the computer&apos;s disk. Make room, then try again.</source>
        <translation>Nicht genug Platz auf dem Datenträger des Computers. Schaffen Sie Platz und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>The file could not be copied on the computer</source>
        <translation>Die Datei konnte auf dem Computer nicht kopiert werden</translation>
    </message>
    <message>
        <source>Choose another folder, then try again.</source>
        <translation>Wählen Sie einen anderen Ordner und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>The phone reported an error</source>
        <translation>Das Telefon hat einen Fehler gemeldet</translation>
    </message>
    <message>
        <source>Tarvel&apos;s import record was damaged and has been set aside; earlier imports are not remembered, so files already copied may count as new.</source>
        <translation>Tarvels Importprotokoll war beschädigt und wurde beiseitegelegt; frühere Importe sind nicht mehr bekannt, daher können bereits kopierte Dateien als neu gelten.</translation>
    </message>
    <message>
        <source>This import cannot be remembered: another Tarvel is writing the import record.</source>
        <translation>Dieser Import kann nicht gespeichert werden: Ein anderes Tarvel schreibt gerade das Importprotokoll.</translation>
    </message>
    <message>
        <source>This import cannot be remembered: the import record cannot be written.</source>
        <translation>Dieser Import kann nicht gespeichert werden: Das Importprotokoll kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>This import cannot be remembered: the disk is full.</source>
        <translation>Dieser Import kann nicht gespeichert werden: Der Datenträger ist voll.</translation>
    </message>
    <message>
        <source>This import cannot be remembered: the import record was written by a newer Tarvel.</source>
        <translation>Dieser Import kann nicht gespeichert werden: Das Importprotokoll stammt von einem neueren Tarvel.</translation>
    </message>
    <message>
        <source>This import cannot be remembered: the import record cannot be opened.</source>
        <translation>Dieser Import kann nicht gespeichert werden: Das Importprotokoll kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>This phone gives no serial number, so files of another phone of the same model may count as already imported, and this one&apos;s may be imported twice.</source>
        <translation>Dieses Telefon nennt keine Seriennummer. Dateien eines anderen Telefons desselben Modells können daher als bereits importiert gelten, und die dieses Telefons doppelt importiert werden.</translation>
    </message>
    <message>
        <source>The phone was disconnected after deleting %1; the rest stay on the phone.</source>
        <translation>Die Verbindung zum Telefon wurde nach dem Löschen von %1 getrennt; der Rest bleibt auf dem Telefon.</translation>
    </message>
    <message>
        <source>Stopped after deleting %1; the rest stay on the phone.</source>
        <translation>Nach dem Löschen von %1 angehalten; der Rest bleibt auf dem Telefon.</translation>
    </message>
    <message>
        <source>Deleted %1 from the phone (%2).</source>
        <translation>%1 vom Telefon gelöscht (%2).</translation>
    </message>
    <message numerus="yes">
        <source>%Ln whose copy on the computer is missing or not whole</source>
        <translation>
            <numerusform>%Ln, deren Kopie auf dem Computer fehlt oder unvollständig ist</numerusform>
            <numerusform>%Ln, deren Kopie auf dem Computer fehlt oder unvollständig ist</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln that the phone would not delete or that changed there</source>
        <translation>
            <numerusform>%Ln, die das Telefon nicht löschen wollte oder die sich dort geändert hat</numerusform>
            <numerusform>%Ln, die das Telefon nicht löschen wollte oder die sich dort geändert haben</numerusform>
        </translation>
    </message>
    <message>
        <source>Kept on the phone: %1.</source>
        <translation>Auf dem Telefon behalten: %1.</translation>
    </message>
    <message numerus="yes">
        <source>Downloading %Ln file(s)...</source>
        <translation>
            <numerusform>%Ln Datei wird heruntergeladen...</numerusform>
            <numerusform>%Ln Dateien werden heruntergeladen...</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Downloading %Ln file(s) to %1...</source>
        <translation>
            <numerusform>%Ln Datei wird nach %1 heruntergeladen...</numerusform>
            <numerusform>%Ln Dateien werden nach %1 heruntergeladen...</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Uploading %Ln file(s)...</source>
        <translation>
            <numerusform>%Ln Datei wird hochgeladen...</numerusform>
            <numerusform>%Ln Dateien werden hochgeladen...</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Uploading %Ln file(s) to %1...</source>
        <translation>
            <numerusform>%Ln Datei wird nach %1 hochgeladen...</numerusform>
            <numerusform>%Ln Dateien werden nach %1 hochgeladen...</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The phone stopped answering after %1 of %Ln file(s). Unplug it, plug it in again, then choose Resume.</source>
        <translation>
            <numerusform>Das Telefon antwortet nach %1 von %Ln Datei nicht mehr. Trennen Sie es, schließen Sie es wieder an und wählen Sie dann „Fortsetzen“.</numerusform>
            <numerusform>Das Telefon antwortet nach %1 von %Ln Dateien nicht mehr. Trennen Sie es, schließen Sie es wieder an und wählen Sie dann „Fortsetzen“.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Resume: %1 of %Ln file(s) left (%2) to %3</source>
        <translation>
            <numerusform>Fortsetzen: %1 von %Ln Datei übrig (%2) nach %3</numerusform>
            <numerusform>Fortsetzen: %1 von %Ln Dateien übrig (%2) nach %3</numerusform>
        </translation>
    </message>
    <message>
        <source>it is no longer on the phone</source>
        <translation>sie ist nicht mehr auf dem Telefon</translation>
    </message>
    <message>
        <source>it changed on the phone since the copy began</source>
        <translation>sie wurde auf dem Telefon geändert, seit das Kopieren begann</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 nach %2</translation>
    </message>
    <message numerus="yes">
        <source>The phone was disconnected after %1 of %Ln file(s). Connect it again and unlock it, then choose Resume.</source>
        <translation>
            <numerusform>Die Verbindung zum Telefon wurde nach %1 von %Ln Datei getrennt. Schließen Sie es erneut an, entsperren Sie es und wählen Sie dann „Fortsetzen“.</numerusform>
            <numerusform>Die Verbindung zum Telefon wurde nach %1 von %Ln Dateien getrennt. Schließen Sie es erneut an, entsperren Sie es und wählen Sie dann „Fortsetzen“.</numerusform>
        </translation>
    </message>
    <message>
        <source>the folder it was going into is no longer on the phone</source>
        <translation>der Ordner, in den sie kopiert werden sollte, ist nicht mehr auf dem Telefon</translation>
    </message>
    <message>
        <source>The phone refused to rename %1: some phones do not let their files be renamed over USB.</source>
        <translation>Das Telefon hat das Umbenennen von %1 abgelehnt: Manche Telefone lassen ihre Dateien über USB nicht umbenennen.</translation>
    </message>
</context>
<context>
    <name>tarvel::SleepInhibitor</name>
    <message>
        <source>Copying files to or from the phone</source>
        <translation>Dateien werden zum oder vom Telefon kopiert</translation>
    </message>
</context>
<context>
    <name>tarvel::StatusPresenter</name>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
</context>
<context>
    <name>tarvel::TakenNamesPresenter</name>
    <message numerus="yes">
        <source>%Ln file(s) already in %1 under the same name.</source>
        <translation>
            <numerusform>%Ln Datei ist bereits unter demselben Namen in %1.</numerusform>
            <numerusform>%Ln Dateien sind bereits unter demselben Namen in %1.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Replace %Ln file(s) in %1? What is there now is lost.</source>
        <translation>
            <numerusform>%Ln Datei in %1 ersetzen? Was jetzt dort ist, geht verloren.</numerusform>
            <numerusform>%Ln Dateien in %1 ersetzen? Was jetzt dort ist, geht verloren.</numerusform>
        </translation>
    </message>
    <message>
        <source>Skip files that are already there (same name and size)</source>
        <translation>Bereits vorhandene Dateien überspringen (gleicher Name und gleiche Größe)</translation>
    </message>
    <message>
        <source>Keep both</source>
        <translation>Beide behalten</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Some files are already there</source>
        <translation>Einige Dateien sind bereits vorhanden</translation>
    </message>
    <message>
        <source>Go On</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Replace files?</source>
        <translation>Dateien ersetzen?</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Stop the Download</source>
        <translation>Herunterladen anhalten</translation>
    </message>
</context>
<context>
    <name>tarvel::TarvelViewModel</name>
    <message>
        <source>Android storage</source>
        <translation>Android-Speicher</translation>
    </message>
</context>
<context>
    <name>tarvel::ThumbnailPresenter</name>
    <message>
        <source>Show as List</source>
        <translation>Als Liste zeigen</translation>
    </message>
    <message>
        <source>Show as Grid</source>
        <translation>Als Raster zeigen</translation>
    </message>
</context>
<context>
    <name>tarvel::TransferDesktopFeedback</name>
    <message>
        <source>Download stopped</source>
        <translation>Herunterladen abgebrochen</translation>
    </message>
    <message>
        <source>Upload stopped</source>
        <translation>Hochladen abgebrochen</translation>
    </message>
    <message>
        <source>Download finished</source>
        <translation>Herunterladen abgeschlossen</translation>
    </message>
    <message>
        <source>Upload finished</source>
        <translation>Hochladen abgeschlossen</translation>
    </message>
</context>
<context>
    <name>tarvel::TransferPresenter</name>
    <message>
        <source>Connect an Android device before uploading files.</source>
        <translation>Schließen Sie ein Android-Gerät an, bevor Sie Dateien hochladen.</translation>
    </message>
    <message>
        <source>Uploads and pasted files go to %1.</source>
        <translation>Hochgeladene und eingefügte Dateien kommen nach %1.</translation>
    </message>
    <message>
        <source>Uploads and pasted files go to the Android storage root shown on the left.</source>
        <translation>Hochgeladene und eingefügte Dateien kommen in die oberste Ebene des links gezeigten Android-Speichers.</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>Wird abgebrochen...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message numerus="yes">
        <source>Looking through folders: %Ln file(s) so far</source>
        <translation>
            <numerusform>Ordner werden durchsucht: bisher %Ln Datei</numerusform>
            <numerusform>Ordner werden durchsucht: bisher %Ln Dateien</numerusform>
        </translation>
    </message>
    <message>
        <source>File %1 of %2</source>
        <translation>Datei %1 von %2</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Hochladen</translation>
    </message>
    <message>
        <source>Download Here</source>
        <translation>Hierhin herunterladen</translation>
    </message>
    <message>
        <source>Transfers</source>
        <translation>Übertragungen</translation>
    </message>
    <message>
        <source>Choose File to Upload</source>
        <translation>Datei zum Hochladen wählen</translation>
    </message>
    <message>
        <source>Choose Folder to Upload</source>
        <translation>Ordner zum Hochladen wählen</translation>
    </message>
    <message>
        <source>Paste Files</source>
        <translation>Dateien einfügen</translation>
    </message>
    <message>
        <source>No active transfer</source>
        <translation>Keine laufende Übertragung</translation>
    </message>
    <message>
        <source>Downloads and uploads will appear here while they are running.</source>
        <translation>Downloads und Uploads erscheinen hier, solange sie laufen.</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>Waiting</source>
        <translation>In der Warteschlange</translation>
    </message>
    <message>
        <source>Remove from queue</source>
        <translation>Aus der Warteschlange entfernen</translation>
    </message>
    <message>
        <source>Remove %1 from the queue</source>
        <translation>%1 aus der Warteschlange entfernen</translation>
    </message>
</context>
<context>
    <name>tarvel::TransferRate</name>
    <message>
        <source>%1/s</source>
        <translation>%1/s</translation>
    </message>
    <message>
        <source>%1 s left</source>
        <translation>noch %1 s</translation>
    </message>
    <message>
        <source>%1 min left</source>
        <translation>noch %1 min</translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation>noch %1 h %2 min</translation>
    </message>
</context>
<context>
    <name>tarvel::TransferSummary</name>
    <message>
        <source>Downloading</source>
        <translation>Wird heruntergeladen</translation>
    </message>
    <message>
        <source>Uploading</source>
        <translation>Wird hochgeladen</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
</TS>
