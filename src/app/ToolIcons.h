#pragma once

// The images of the main window's tool buttons and the program's icon, drawn for this program
// and stored as resources (made by tools/make_images). Each tool image is 16 by 16 pixels with a
// version drawn at 32 for screens of twice the density, on a transparent ground; the icon's
// disabled mode is the greyed look.

#include <QIcon>

enum class TToolImage {
    New,            // a blank sheet with a starburst
    Open,           // a written sheet with a starburst
    Save,           // a written sheet with a red arrow into a floppy disk
    SaveAs,         // a red arrow into a written sheet
    Close,          // a folded written sheet with a starburst
    Add,            // a hand writing with a pen
    Delete,         // a hand with a pen over a struck line
    ChangePassword, // a padlock
    AboutOmbrel,    // a globe
    About,          // a red question mark on a yellow disc
    Exit,           // a door
};

QIcon ToolIcon(TToolImage image);
QIcon ProgramIcon();
