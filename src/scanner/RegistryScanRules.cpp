// The registry scan's rules in the walker's order.
#include "scanner/RegistryScanRules.h"

#include "scanner/ComRules.h"
#include "scanner/SoftwareRules.h"

namespace kestrover {

RegistryScanRules::RegistryScanRules(FileSystemPort& fileSystem, KnownFolders folders,
                                     Wow64Redirection redirection)
    : listings_(std::make_unique<FolderListingCache>(fileSystem)),
      resolver_(*listings_, std::move(folders), redirection) {}

void RegistryScanRules::BeginScan() {
    // The resolver holds a reference to the cache: it is emptied, not replaced.
    listings_->Clear();
}

void RegistryScanRules::FollowLocalDrives(const ScanContext& context) {
    // The driver rebuilds its list before every scan; the resolver must check exactly those
    // drives, never a drive the scan takes for removable or away.
    if (resolver_.LocalDrives() != context.localDrives) resolver_.SetLocalDrives(context.localDrives);
}

void RegistryScanRules::ApplyKeyRules(ScanContext& context, KeyVisit& key) {
    FollowLocalDrives(context);
    if (context.currentRootIndex == 0 && key.path == key.keyName) {
        UnusedFileTypeRule(context, key, resolver_);
    }
    if (context.currentRootIndex == 1) OpenWithRule(context, key, resolver_);
    EmptySoftwareKeyRule(context, key);
    AppPathRule(context, key, resolver_);
}

void RegistryScanRules::ApplyValueRules(ScanContext& context, KeyVisit& key,
                                        const RegistryValue& value) {
    FollowLocalDrives(context);
    if (ApplySoftwareValueRules(context, key, value, resolver_) == MissingDataOutcome::OpenCommand) {
        OpenCommandRule(context, key, value, resolver_);
    }
}

}  // namespace kestrover
