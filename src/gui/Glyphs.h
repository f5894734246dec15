// The small pictures of the lists and the tree, drawn by the program itself at the size the
// screen's DPI asks for: keys, value kinds, restore statuses and backup files.
#pragma once

#include "gui/Controls.h"

namespace kestrover::gui {

// Positions in the image list CreateGlyphList makes.
enum class Glyph : int {
    RegistryKey,    // a result row's key (state image 0)
    KeyNotDeleted,  // a row whose deletion failed (state image 32)
    StringValue,    // a value of a string kind, and the default value
    OtherValue,     // any other value kind
    KeyInBackup,    // a key node shown without restoring
    KeyCreated,     // restore: the key was created
    KeyWritable,    // restore: the key existed and was written
    KeyFailed,      // restore: the key could not be written
    ValueRestored,
    ValueViewOnly,
    ValueTooLong,
    BackupFile,
    // Menu items (the registry key glyph serves "Open in Regedit").
    MenuExport,     // a page with an arrow leaving it
    MenuExclude,    // a no-entry sign
    MenuDelete,     // a red cross
    MenuOwnership,  // a key
    MenuFavorite,   // a star
    Count,
};

// Every glyph, size x size pixels, in Glyph order; transparent around the drawing.
UniqueImageList CreateGlyphList(int size);

}  // namespace kestrover::gui
