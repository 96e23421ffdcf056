<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Spinner</name>
    <message>
        <source>Busy</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SymbolButton</name>
    <message>
        <source>Unavailable</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::BrowserPresenter</name>
    <message>
        <source>Android device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No phone connected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connected device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 available of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 capacity</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1 of %Ln item(s)</source>
        <translation>
            <numerusform>%1 of %Ln item</numerusform>
            <numerusform>%1 of %Ln items</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln item(s)</source>
        <translation>
            <numerusform>%Ln item</numerusform>
            <numerusform>%Ln items</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln item(s) selected</source>
        <translation>
            <numerusform>%Ln item selected</numerusform>
            <numerusform>%Ln items selected</numerusform>
        </translation>
    </message>
    <message>
        <source>0 bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Phone order</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looking for phones</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Android device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files unavailable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loading files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking what is connected over USB.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use a data-capable USB cable, unlock the device, choose USB File transfer, then press Refresh. If it still does not appear, try another cable or USB port.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the selected storage.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This folder is empty.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Internal storage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SD card</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Phone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Storage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort by</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reverse the order</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter by name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opening %1 once the file being copied is done...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::ByteCount</name>
    <message>
        <source>Zero KB</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::CommandLine</name>
    <message>
        <source>Move files between this computer and an Android phone over USB.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::ContentView</name>
    <message>
        <source>Tarvel is still copying %1. Quitting stops the copy; nothing half-copied is kept.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop the transfer and quit?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop and Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep Copying</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tarvel is still copying %1. Quitting stops the copy; the next time this phone is connected, Tarvel offers to finish it.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::DemoCommandLine</name>
    <message>
        <source>Try Tarvel without a phone: a local folder plays the phone&apos;s storage.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FOLDER</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder that plays the phone&apos;s storage; without one, a fresh copy of the sample phone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy at about 1 MB/s, so transfers take visible time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The sample phone could not be copied; give a folder to play the phone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not a folder: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give one folder to play the phone, or none for the sample phone.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::DesktopNotifier</name>
    <message>
        <source>Show in Folder</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::DonationPresenter</name>
    <message>
        <source>Support development</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tarvel 2 is maintained independently by Orvath.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BTC SegWit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BTC donation QR code</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy BTC Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Ko-fi</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Bitcoin Wallet</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::FileActionsPresenter</name>
    <message>
        <source>Rename %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rename</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete %1 from the phone?</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Delete %Ln item(s) from the phone?</source>
        <translation>
            <numerusform>Delete %Ln item from the phone?</numerusform>
            <numerusform>Delete %Ln items from the phone?</numerusform>
        </translation>
    </message>
    <message>
        <source>Counting what %1 holds...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Counting what the folders hold...</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s)</source>
        <translation>
            <numerusform>%Ln file</numerusform>
            <numerusform>%Ln files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln folder(s)</source>
        <translation>
            <numerusform>%Ln folder</numerusform>
            <numerusform>%Ln folders</numerusform>
        </translation>
    </message>
    <message>
        <source> and </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This deletes %1 from the phone. It cannot be undone: the phone has no trash.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New Folder...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rename...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::ImportPresenter</name>
    <message>
        <source>Looking for camera folders...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 already imported</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing new since the last import, %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln new photo(s) or video(s) (%1) since the last import, %2.</source>
        <translation>
            <numerusform>%Ln new photo or video (%1) since the last import, %2.</numerusform>
            <numerusform>%Ln new photos and videos (%1) since the last import, %2.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln item(s)</source>
        <translation>
            <numerusform>%Ln item</numerusform>
            <numerusform>%Ln items</numerusform>
        </translation>
    </message>
    <message>
        <source>To %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>In folders by month (2024/2024-06)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All in one folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Delete %Ln imported file(s) from the phone (%1)...</source>
        <translation>
            <numerusform>Delete %Ln imported file from the phone (%1)...</numerusform>
            <numerusform>Delete %Ln imported files from the phone (%1)...</numerusform>
        </translation>
    </message>
    <message>
        <source>This cannot be undone. Only files whose copy on this computer is complete are deleted; the others stay on the phone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Delete the %Ln file(s) this import copied from the phone?</source>
        <translation>
            <numerusform>Delete the %Ln file this import copied from the phone?</numerusform>
            <numerusform>Delete the %Ln files this import copied from the phone?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Deleting %Ln imported file(s) from the phone...</source>
        <translation>
            <numerusform>Deleting %Ln imported file from the phone...</numerusform>
            <numerusform>Deleting %Ln imported files from the phone...</numerusform>
        </translation>
    </message>
    <message>
        <source>Import Here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import Photos and Videos</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete from the phone?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep on Phone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete from Phone</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Looking through %1: %2 of %3 folders, %Ln item(s) so far...</source>
        <translation>
            <numerusform>Looking through %1: %2 of %3 folders, %Ln item so far...</numerusform>
            <numerusform>Looking through %1: %2 of %3 folders, %Ln items so far...</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tarvel::PreviewPresenter</name>
    <message>
        <source>%1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left and Right: other pictures · Enter: download · Escape: close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be shown: it is not a picture this computer can read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The phone is not connected.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is larger than %2: download it to see it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 cannot be shown: at %2 × %3 pixels it is too large a picture to open here. Download it to see it.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::QtDesktopServices</name>
    <message>
        <source>Save the File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a Folder</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::RemoteEntryListModel</name>
    <message>
        <source>Name, Z to A</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name, A to Z</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date, oldest first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date, newest first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size, smallest first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size, largest first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Phone order, reversed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Phone order</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>d MMM yyyy, HH:mm</source>
        <extracomment>Date and time of a file; Qt&apos;s date format letters (d day, MMM month&apos;s short name, yyyy year, HH:mm time).</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Audio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Document</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archive</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::Sentences</name>
    <message>
        <source>The phone could not be accessed. Check the cable and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This account may not use the phone&apos;s USB connection. Sign in at the computer itself, or add a udev rule for the phone, then plug it in again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Eject the phone in Files, then press Refresh.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KDE&apos;s phone service is using the phone. Run &quot;kquitapp%1 %2&quot;, then press Refresh.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 has the phone mounted as a folder. Unmount it, then press Refresh.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Another Tarvel window is using the phone. Close it, then press Refresh.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is using the phone. Close it, then press Refresh.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Another user&apos;s program is using the phone. Close it in that user&apos;s session, then press Refresh.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1. %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check the cable and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s)</source>
        <translation>
            <numerusform>%Ln file</numerusform>
            <numerusform>%Ln files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln item(s)</source>
        <translation>
            <numerusform>%Ln item</numerusform>
            <numerusform>%Ln items</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 and %Ln more</source>
        <translation>
            <numerusform>%1 and %Ln more</numerusform>
            <numerusform>%1 and %Ln more</numerusform>
        </translation>
    </message>
    <message>
        <source>, </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not enough space on the computer&apos;s disk for %1. Make room, then try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not write %1 on the computer. Choose another folder, then try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not write %1 on the computer: %2. Choose another folder, then try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not read %1. Check that it is still there, then try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not read %1: %2. Check that it is still there, then try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connect an Android device with a data-capable USB cable, unlock it, choose USB File transfer, then press Refresh. If it still does not appear, try another cable or USB port.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unlock the phone and allow file transfer access.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looking for phones...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Still no phone found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opening %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>The phone was disconnected after %1 of %Ln file(s). Connect it again, unlock it, then press Refresh.</source>
        <translation>
            <numerusform>The phone was disconnected after %1 of %Ln file. Connect it again, unlock it, then press Refresh.</numerusform>
            <numerusform>The phone was disconnected after %1 of %Ln files. Connect it again, unlock it, then press Refresh.</numerusform>
        </translation>
    </message>
    <message>
        <source>The phone was disconnected. Connect it again, unlock it, then press Refresh.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was unplugged.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Showing %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Showing %1. Some of its items could not be read from the phone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not open %1. Still showing %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was deleted on the phone. Showing %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type a name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A name cannot contain &quot;/&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A name cannot contain a null character.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;.&quot; and &quot;..&quot; cannot be used as names.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The name is too long for the phone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is already a folder named %1 here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is already a file named %1 here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Creating the folder %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Created the folder %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Renaming %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Renamed %1 to %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not create the folder %1. %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not rename %1. %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing was deleted: could not look through %1. %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deleting %1: %2 of %3 done...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deleting %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deleted %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not delete %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Deleted %1 of %Ln item(s); %2 still on the phone.</source>
        <translation>
            <numerusform>Deleted %1 of %Ln item; %2 still on the phone.</numerusform>
            <numerusform>Deleted %1 of %Ln items; %2 still on the phone.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 is</source>
        <translation>
            <numerusform>%1 is</numerusform>
            <numerusform>%1 are</numerusform>
        </translation>
    </message>
    <message>
        <source>Downloading %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploading %1...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloaded %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploaded %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The phone stopped the copy of %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check that the phone has room for it, then try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>your home folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looking through the folders to download...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looking through the files to upload...</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>; %Ln already there skipped</source>
        <translation>
            <numerusform>; %Ln already there was skipped</numerusform>
            <numerusform>; %Ln already there were skipped</numerusform>
        </translation>
    </message>
    <message>
        <source>Downloaded %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploaded %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloaded %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploaded %1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1 of %Ln file(s)</source>
        <translation>
            <numerusform>%1 of %Ln file</numerusform>
            <numerusform>%1 of %Ln files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %Ln failed: %1</source>
        <translation>
            <numerusform>; %Ln failed: %1</numerusform>
            <numerusform>; %Ln failed: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %Ln failed, the first: %1</source>
        <translation>
            <numerusform>; %Ln failed, the first: %1</numerusform>
            <numerusform>; %Ln failed, the first: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The transfer was cancelled after %1 of %Ln file(s)</source>
        <translation>
            <numerusform>The transfer was cancelled after %1 of %Ln file</numerusform>
            <numerusform>The transfer was cancelled after %1 of %Ln files</numerusform>
        </translation>
    </message>
    <message>
        <source>the link leads to itself</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is no longer there</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is not a file or a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the link leads back into a folder it is in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the folder cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it is not a local file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a file on the computer cannot have this name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a file on the computer cannot have &quot;/&quot; in its name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the name is too long for a file on the computer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not create the folder on the computer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>some of its items could not be read from the phone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>On your phone, change USB mode to File transfer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file could not be copied. Check the cable and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The transfer was cancelled.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The phone refused the request</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unlock the phone and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not enough space on the computer&apos;s disk. Make room, then try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file could not be copied on the computer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose another folder, then try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The phone reported an error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tarvel&apos;s import record was damaged and has been set aside; earlier imports are not remembered, so files already copied may count as new.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This import cannot be remembered: another Tarvel is writing the import record.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This import cannot be remembered: the import record cannot be written.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This import cannot be remembered: the disk is full.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This import cannot be remembered: the import record was written by a newer Tarvel.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This import cannot be remembered: the import record cannot be opened.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This phone gives no serial number, so files of another phone of the same model may count as already imported, and this one&apos;s may be imported twice.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The phone was disconnected after deleting %1; the rest stay on the phone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped after deleting %1; the rest stay on the phone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deleted %1 from the phone (%2).</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln whose copy on the computer is missing or not whole</source>
        <translation>
            <numerusform>%Ln whose copy on the computer is missing or not whole</numerusform>
            <numerusform>%Ln whose copy on the computer is missing or not whole</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln that the phone would not delete or that changed there</source>
        <translation>
            <numerusform>%Ln that the phone would not delete or that changed there</numerusform>
            <numerusform>%Ln that the phone would not delete or that changed there</numerusform>
        </translation>
    </message>
    <message>
        <source>Kept on the phone: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Downloading %Ln file(s)...</source>
        <translation>
            <numerusform>Downloading %Ln file...</numerusform>
            <numerusform>Downloading %Ln files...</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Downloading %Ln file(s) to %1...</source>
        <translation>
            <numerusform>Downloading %Ln file to %1...</numerusform>
            <numerusform>Downloading %Ln files to %1...</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Uploading %Ln file(s)...</source>
        <translation>
            <numerusform>Uploading %Ln file...</numerusform>
            <numerusform>Uploading %Ln files...</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Uploading %Ln file(s) to %1...</source>
        <translation>
            <numerusform>Uploading %Ln file to %1...</numerusform>
            <numerusform>Uploading %Ln files to %1...</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The phone stopped answering after %1 of %Ln file(s). Unplug it, plug it in again, then choose Resume.</source>
        <translation>
            <numerusform>The phone stopped answering after %1 of %Ln file. Unplug it, plug it in again, then choose Resume.</numerusform>
            <numerusform>The phone stopped answering after %1 of %Ln files. Unplug it, plug it in again, then choose Resume.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Resume: %1 of %Ln file(s) left (%2) to %3</source>
        <translation>
            <numerusform>Resume: %1 of %Ln file left (%2) to %3</numerusform>
            <numerusform>Resume: %1 of %Ln files left (%2) to %3</numerusform>
        </translation>
    </message>
    <message>
        <source>it is no longer on the phone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it changed on the phone since the copy began</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>The phone was disconnected after %1 of %Ln file(s). Connect it again and unlock it, then choose Resume.</source>
        <translation>
            <numerusform>The phone was disconnected after %1 of %Ln file. Connect it again and unlock it, then choose Resume.</numerusform>
            <numerusform>The phone was disconnected after %1 of %Ln files. Connect it again and unlock it, then choose Resume.</numerusform>
        </translation>
    </message>
    <message>
        <source>the folder it was going into is no longer on the phone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The phone refused to rename %1: some phones do not let their files be renamed over USB.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::SleepInhibitor</name>
    <message>
        <source>Copying files to or from the phone</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::StatusPresenter</name>
    <message>
        <source>Refresh</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::TakenNamesPresenter</name>
    <message numerus="yes">
        <source>%Ln file(s) already in %1 under the same name.</source>
        <translation>
            <numerusform>%Ln file is already in %1 under the same name.</numerusform>
            <numerusform>%Ln files are already in %1 under the same name.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Replace %Ln file(s) in %1? What is there now is lost.</source>
        <translation>
            <numerusform>Replace %Ln file in %1? What is there now is lost.</numerusform>
            <numerusform>Replace %Ln files in %1? What is there now is lost.</numerusform>
        </translation>
    </message>
    <message>
        <source>Skip files that are already there (same name and size)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep both</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Some files are already there</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Go On</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace files?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop the Download</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::TarvelViewModel</name>
    <message>
        <source>Android storage</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::ThumbnailPresenter</name>
    <message>
        <source>Show as List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show as Grid</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::TransferDesktopFeedback</name>
    <message>
        <source>Download stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download finished</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload finished</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::TransferPresenter</name>
    <message>
        <source>Connect an Android device before uploading files.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploads and pasted files go to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploads and pasted files go to the Android storage root shown on the left.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Looking through folders: %Ln file(s) so far</source>
        <translation>
            <numerusform>Looking through folders: %Ln file so far</numerusform>
            <numerusform>Looking through folders: %Ln files so far</numerusform>
        </translation>
    </message>
    <message>
        <source>File %1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download Here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transfers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose File to Upload</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose Folder to Upload</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Paste Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No active transfer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloads and uploads will appear here while they are running.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove from queue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove %1 from the queue</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::TransferRate</name>
    <message>
        <source>%1/s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 s left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 min left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 h %2 min left</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tarvel::TransferSummary</name>
    <message>
        <source>Downloading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
