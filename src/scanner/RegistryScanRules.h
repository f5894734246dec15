// RegistryScanRules: the rules of the registry scan in the walker's order — the file-type and
// COM rules, the software and system rules — over one file-reference resolver.
#pragma once

#include <memory>

#include "scanner/FileReference.h"
#include "scanner/FolderListingCache.h"
#include "scanner/ScanRules.h"

namespace kestrover {

class RegistryScanRules final : public ScanRules {
public:
    // The rules judge file references with this resolver's folders and redirection; its local
    // drives follow the scan's (ScanContext::localDrives) from the first key of each scan on.
    // The file system is asked through a cache of folder listings kept for one scan.
    RegistryScanRules(FileSystemPort& fileSystem, KnownFolders folders, Wow64Redirection redirection);

    void BeginScan() override;

    // Per key: the unused file type (classes-root pass, top-level keys), the open-with list
    // (current-user pass), the empty vendor key (passes 1 to 3) and the application path.
    void ApplyKeyRules(ScanContext& context, KeyVisit& key) override;
    // Per value: the six software value rules, then the open-command rule when the value's
    // data names a missing program below "shell\open\command".
    void ApplyValueRules(ScanContext& context, KeyVisit& key, const RegistryValue& value) override;

    const FileReferenceResolver& Resolver() const { return resolver_; }
    const FolderListingCache& Listings() const { return *listings_; }

private:
    void FollowLocalDrives(const ScanContext& context);

    std::unique_ptr<FolderListingCache> listings_;
    FileReferenceResolver resolver_;
};

}  // namespace kestrover
