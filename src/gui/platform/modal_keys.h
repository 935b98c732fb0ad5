#pragma once
// The keyboard stays with the open modal dialog. A compositor gives the keyboard to whatever
// window is tapped, also to the main window behind a modal dialog, and Qt drops the keys a
// blocked window gets: typed keys would be lost until the dialog is tapped again.

namespace nibblet {

// From now on, keys the display server sends to a window that a modal dialog blocks go to that
// dialog, and the dialog asks to be activated again (where the display server allows it).
void keepKeysWithModalDialog();

}  // namespace nibblet
