import QtQuick

// Screen readers speak a notification as it appears, but not a label whose text changes,
// so each new status is shown again as an invisible notification.
Item {
    objectName: "statusAnnouncer"
    id: announcer

    property string text

    width: 0
    height: 0
    Accessible.role: Accessible.Notification

    // The name is set before the item shows again, so what is read is the new text.
    onTextChanged: {
        announcer.visible = false;
        announcer.Accessible.name = announcer.text;
        announcer.visible = true;
    }
}
