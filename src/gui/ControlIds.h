// The identifiers of the main window's controls and menu items. Every control is a direct
// child of the main window, so GetDlgItem finds it by these numbers (tests do).
#pragma once

namespace kestrover::gui {

enum ControlId : int {
    // 1 and 2 are IDOK and IDCANCEL, which dialog navigation sends on Enter and Escape.
    idBtRegistry = 100,
    idBtPrivacy,
    idBtApps,
    idBtTools,
    idBtAbout,
    idPageTitle,  // pgn
    idCountLabel,  // TROOT
    idStatusLabel,
    idTotalLabel,
    idProgress,
    idBtStop,
    idPrivacyText,
    idApplicationsText,
    idToolsText,
    idAboutText,
    idBtLanguage,  // btconf: its menu chooses the language

    // Registry cleaning page.
    idBtGo = 200,
    idCkClassesRoot,
    idCkCurrentUser,
    idCkLocalMachine,
    idCkUsers,
    idCkActiveX,
    idCkBackup,
    idBtBackup,
    idRegistryIntroduction,
    idBtSelect,
    idBtSelectAll,
    idBtInvertSel,
    idFilterLabel,
    idFilterEdit,  // btFilter
    idResultList,  // LB

    // Backups page.
    idBtRestore = 300,
    idBtRestoreStop,
    idBtProtect,
    idBackupHint,
    idBackupList,  // lvb
    idBackupTree,  // TVB

    // Menu items.
    idMnSelectAll = 400,
    idMnUnselectAll,
    idMnInvertSel,
    idMnSelectGreen,
    idMnSelectRed,
    idMnOpen,
    idMnExport,
    idMnExclude,
    idMnTakeOwnership,
    idMnDelete,
    idMnDeleteBackup,
    // The language menu: one item per language file, from this number on.
    idMnLanguageFirst = 500,
    idMnLanguageLast = 599,

    // The registry search page, reached with btFind from the registry page.
    idBtFind = 600,          // btFind: opens the search page
    idSearchForLabel,
    idFindT,                 // FindT: the search text, its drop-down the search history
    idBtSearch,              // cherche: "Search !"
    idBtClearHistory,        // btEffHist
    idSearchRootsGroup,
    idCkSearchClassesRoot,   // ckcr
    idCkSearchCurrentUser,   // ckcu
    idCkSearchLocalMachine,  // cklm
    idCkSearchUsers,         // cku
    idSearchOptionsGroup,
    idCkSearchKeys,          // ckOK
    idCkSearchValues,        // ckVal
    idCkSearchData,          // ckDon
    idCkWholeWord,           // ckOnlyW
    idCkGroupSimilar,        // ckRoot
    idSecurityGroup,         // "Fix registry security : "
    idCkProtected,           // ckProtected
    idProtectedHint,

    // Favorites: the registry page's button, its menu, the result list's "Add to favorites"
    // and "Open in explorer", and the favorites dialog's controls (TAddFav; its Cancel button
    // is IDCANCEL).
    idBtFavorites = 650,     // btFavorites: the favorites menu
    idMnManageFavorites,     // mnmanage
    idMnRebuildFavorites,    // mnrebuild
    idMnAddToFavorites,      // MnuFav
    idMnOpenInExplorer,
    idFavoriteNameLabel = 660,  // Label1
    idFavoriteName,             // fn
    idFavoriteKeyLabel,         // Label2
    idFavoriteRoot,             // cbKey
    idFavoriteKey,              // kn
    idFavoriteList,             // lsFav
    idBtFavoriteAdd,            // Button1
    idBtFavoriteModify,         // Button4
    idBtFavoriteDelete,         // Button3

    // Exclusions and the application settings list (registry page), and the exclusion
    // dialog's controls.
    idBtExclude = 700,        // btExclude: opens the exclusion dialog
    idBtApplicationSettings,  // mnApplSettings: the software keys in the result list
    idExclusionList = 710,    // EXL
    idExclusionRoot,          // cbK
    idExclusionKey,           // enK
    idBtExclusionAdd,
    idBtExclusionModify,
    idBtExclusionDelete,
    idBtExclusionImport,
};

}  // namespace kestrover::gui
