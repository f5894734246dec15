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
};

}  // namespace kestrover::gui
