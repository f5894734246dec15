// The caption table with its English defaults.
#include "gui/Captions.h"

namespace kestrover::gui {

namespace {

constexpr std::array<CaptionEntry, static_cast<std::size_t>(CaptionId::Count)> kEntries{{
    {"bigbutton", "btRegistry", "Registry"},
    {"bigbutton", "btPrivacy", "Computer cleaning"},
    {"bigbutton", "btApps", "Applications and startup"},
    {"bigbutton", "btTools", "Tools and system"},
    {"bigbutton", "btAbout", "About"},

    {"", "", "GO !"},
    {"", "", "HKEY_CLASSES_ROOT"},
    {"", "", "HKEY_CURRENT_USER"},
    {"", "", "HKEY_LOCAL_MACHINE"},
    {"", "", "HKEY_USERS"},
    {"", "", "ActiveX/COM (CLSID)"},
    {"checkbox", "ckBackup", "Backup before deletion"},
    {"buttons", "btBackup", "Backups"},
    {"window", "txtRegistry",
     "GO ! walks the checked roots and lists the entries that point at files, folders, file "
     "types and COM classes that no longer exist. Select the entries to remove and delete them: "
     "a backup is written first, and the Backups page restores it."},

    {"buttons", "btSelect", "Select"},
    {"buttons", "btSelectAll", "Select All"},
    {"buttons", "btUnSelectAll", "Unselect all"},
    {"buttons", "btInvertSel", "Invert selection"},
    {"buttons", "btSelectGreen", "Select all Green"},
    {"buttons", "btSelectRed", "Select all Red"},
    {"window", "lbFilter", "Filter :"},
    {"RestoreDialog", "btStop", "Stop"},
    {"listbox menu", "mnopen", "Open in Regedit (or double-click)"},
    {"listbox menu", "mnexport", "Export selected items"},
    {"listbox menu", "mnaddfav", "Add to favorites"},
    {"listbox menu", "mnExclude", "Add to exclusion list"},
    {"registryfix", "mnutakeownership", "Take Ownership"},
    {"listbox menu", "mnDelete", "Delete selected items"},

    {"RestoreDialog", "btRestore", "Restore"},
    {"RestoreDialog", "btStop", "Stop"},
    {"RestoreDialog", "btprotect", "Show Protected"},
    {"RestoreDialog", "ckViewOnly",
     "Double-click an entry to see its content only (No changes done to the Registry)"},
    {"file menu", "mnDelFile", "Delete selected files"},
    {"window", "colBackupName", "Name"},
    {"window", "colBackupDate", "Date"},
    {"window", "colBackupSize", "Size"},

    {"window", "txtPrivacy",
     "Junk and temporary files, histories and recently used lists, Explorer traces and the "
     "auto-clean will be cleaned from this page. They are not built yet."},
    {"window", "txtApplications",
     "Startup entries, installed applications, services, drivers and browser add-ons will be "
     "managed from this page. They are not built yet."},
    {"window", "txtTools",
     "The process manager, the installation monitor, the registry tweaks, the file finder and "
     "the system information will be here. They are not built yet."},
    {"window", "txtAbout",
     "Kestrover cleans the Windows registry of entries that point at what no longer exists. "
     "Every deletion is backed up first, and every backup can be restored."},
    {"window", "txtBackupFolder", "Backups are kept in"},
    {"window", "btLanguage", "Language"},

    {"buttons", "msgitems", "Items"},
    {"dialogboxes", "dbExportDone", "Export Done !"},
    {"dialogboxes", "dbConfirmDelete", "Delete all selected items ?"},
    {"listbox messages", "lbDefault", "(default)"},
    {"listbox messages", "lbTooLong", "(string too long)"},

    {"misc", "btExclude", "Exclusions ..."},
    {"buttons", "mnApplSettings", "Applications settings"},
    {"ExcludeDialog", "btexadd", "Add"},
    {"ExcludeDialog", "btexmod", "Modify"},
    {"ExcludeDialog", "btexdel", "Delete"},
    {"ExcludeDialog", "bteximp", "Import"},
    {"excludedialog", "ExItemsImport", "items imported"},
    {"find panel", "keytitle", "Keys"},

    {"buttons", "btTasks", "Task manager"},
    {"buttons", "mnFileProc", "File and process monitor"},
    {"window", "txtProcessList", "The process list comes with a later version of Kestrover."},
    {"window", "txtMonitor",
     "The file and process monitor comes with a later version of Kestrover."},

    {"buttons", "btFind", "Search"},
    {"buttons", "btFavorites", "Favorites"},
    {"find panel", "searchfor", "Search for :"},
    {"find panel", "btsearch", "Search !"},
    {"find panel", "btcleanhistory", "Clear search history"},
    {"find panel", "optiontitle", "Options"},
    {"find panel", "ckKeys", "&Keys"},
    {"find panel", "ckValues", "&Values"},
    {"find panel", "ckData", "&Data"},
    {"find panel", "ckGroupSimilar", "&Group similar keys"},
    {"find panel", "ckWholeWord", "&Match whole word"},
    {"registryfix", "repairtitle", "Fix registry security : "},
    {"registryfix", "ckProtected", "Search Protected Keys only"},
    {"window", "txtProtected",
     "Keys you may not change; \"Take Ownership\" frees them."},
    {"window", "mnOpenInExplorer", "Open in explorer"},
    {"favorites menu", "mnmanage", "Manage ..."},
    {"favorites menu", "mnrebuild", "Rebuild"},
    {"dialogboxes", "dbRebuildHistory",
     "Attention : this is going to rebuild your favorites with default entries\r\nDo you want to "
     "proceed ?"},
    {"favdialogbox", "maintitle", "Favorites"},
    {"favdialogbox", "title1", "Favorite Name :"},
    {"favdialogbox", "title2", "Key to add"},
    {"favdialogbox", "btAdd", "&Add"},
    {"favdialogbox", "btModify", "M&odify"},
    {"favdialogbox", "btCancel", "&Cancel"},
    {"favdialogbox", "entername", "Entrer a name"},
    {"ExcludeDialog", "btExDel", "Delete"},

    {"registryfix", "securitywarn",
     "WARNING ! You are about to change Registry Key permission !\r\nThis will change the "
     "registry key ownership to your current username.\r\n\r\nIf you are not confident doing "
     "this, please click NO to Exit or click OK to Proceed."},
    {"registryfix", "securitychange", "Registry Key permission have been changed !"},
    {"window", "txtSecurityNotChanged", "The permission of these keys could not be changed:"},
}};

}  // namespace

CaptionTable::CaptionTable() {
    for (std::size_t i = 0; i < kEntries.size(); ++i) texts_[i] = std::string(kEntries[i].english);
}

const CaptionEntry& CaptionTable::Entry(CaptionId id) { return kEntries[Index(id)]; }

}  // namespace kestrover::gui
