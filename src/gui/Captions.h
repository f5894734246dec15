// The window's visible texts: one table of every caption, with the language file's section and
// key that will replace it and its built-in English text.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrover::gui {

enum class CaptionId : std::size_t {
    // The five page buttons.
    btRegistry,
    btPrivacy,
    btApps,
    btTools,
    btAbout,
    // Registry cleaning page.
    btGo,
    ckClassesRoot,
    ckCurrentUser,
    ckLocalMachine,
    ckUsers,
    ckActiveX,
    ckBackup,
    btBackup,
    registryIntroduction,
    // The result list's toolbar and its menus.
    btSelect,
    btSelectAll,
    btUnSelectAll,
    btInvertSel,
    btSelectGreen,
    btSelectRed,
    filterLabel,
    btStop,
    mnopen,
    mnexport,
    mnaddfav,
    mnExclude,
    mnutakeownership,
    mnDelete,
    // Backups page.
    btRestore,
    btrstop,
    btprotect,
    backupHint,
    mnDelFile,
    colBackupName,
    colBackupDate,
    colBackupSize,
    // The pages whose tools are still to come, and the about page.
    privacyPlaceholder,
    applicationsPlaceholder,
    toolsPlaceholder,
    aboutText,
    aboutBackupFolder,
    btLanguage,
    // Messages.
    msgitems,
    dbExportDone,
    dbConfirmDelete,
    lbDefault,
    lbTooLong,
    // Exclusions and the application settings list.
    btExclude,
    mnApplSettings,
    btexadd,
    btexmod,
    btexdel,
    bteximp,
    ExItemsImport,
    keytitle,
    // The compact layout of the process list and the monitor, opened from the command line.
    btTasks,
    mnFileProc,
    txtProcessList,
    txtMonitor,
    // The search page, the favorites (menu and dialog) and "Open in explorer".
    btFind,
    btFavorites,
    searchfor,
    btsearch,
    btcleanhistory,
    optiontitle,
    ckKeys,
    ckValues,
    ckData,
    ckGroupSimilar,
    ckWholeWord,
    repairtitle,
    ckProtected,
    txtProtected,
    mnOpenInExplorer,
    mnmanage,
    mnrebuild,
    dbRebuildHistory,
    favMaintitle,
    favTitle1,
    favTitle2,
    favBtAdd,
    favBtModify,
    favBtCancel,
    favEntername,
    favBtExDel,
    // The take-ownership boxes.
    securitywarn,
    securitychange,
    txtSecurityNotChanged,
    Count,
};

// The texts of this window that no other section names (the page texts, the filter label, the
// backup list's columns, ...) have their keys in the section "window".
struct CaptionEntry {
    std::string_view section;  // empty: no language file replaces it
    std::string_view key;
    std::string_view english;
};

// The captions the window shows. Every text starts as its English default; the language files
// replace them by section and key.
class CaptionTable {
public:
    CaptionTable();

    const std::string& Text(CaptionId id) const { return texts_[Index(id)]; }
    void SetText(CaptionId id, std::string text) { texts_[Index(id)] = std::move(text); }

    static const CaptionEntry& Entry(CaptionId id);

private:
    static constexpr std::size_t Index(CaptionId id) { return static_cast<std::size_t>(id); }

    std::array<std::string, static_cast<std::size_t>(CaptionId::Count)> texts_;
};

}  // namespace kestrover::gui
