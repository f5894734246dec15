// The scan driver: the root passes of a scan and the walk of one subtree.
#include "scanner/ScanDriver.h"

#include <chrono>
#include <cstdio>

#include "core/Text.h"
#include "registry/KeyPaths.h"

namespace kestrover {
namespace {

constexpr std::string_view kFirewallRulesPath =
    "System\\CurrentControlSet\\services\\SharedAccess\\Parameters\\FirewallPolicy\\FirewallRules";

// One key of the walk whose subkeys are still being entered.
struct WalkFrame {
    std::string path;
    std::vector<std::string> subkeys;
    std::size_t next = 0;
};

}  // namespace

std::string FormatElapsedTime(std::int64_t milliseconds) {
    if (milliseconds < 0) milliseconds = 0;
    std::int64_t seconds = milliseconds / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld",
                  static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

bool NeverEnteredKeyName(std::string_view name) {
    // The COM registration trees are judged only from the keys that refer to them, and
    // walking them would take most of the scan's time.
    static constexpr std::string_view kNames[] = {"clsid", "classes", "interface", "typelib",
                                                  "localization"};
    if (name.empty()) return true;
    for (std::string_view never : kNames) {
        if (EqualsNoCase(name, never)) return true;
    }
    return false;
}

ScanDriver::ScanDriver(ScanEnvironment environment, ScanCallbacks callbacks)
    : environment_(std::move(environment)),
      callbacks_(std::move(callbacks)),
      context_{environment_.registry, environment_.fileSystem, environment_.sink, flags_,
               localDrives_, 0, true, [this] { AdvanceProgress(); }, {}} {}

ScanReport ScanDriver::GoClean(const ScanSelection& selection) {
    exclusions_.Load(environment_.fileSystem, environment_.dataFolder,
                     environment_.ansiCodePage ? *environment_.ansiCodePage : Windows1252());
    // Every command starts with the stop request clear, so a scan after a stopped one scans
    // from the start.
    stopRequested_.store(false);
    walkMode_ = WalkMode::Scan;
    std::int64_t start = Now();
    ShowStatus("Analyzing ...");
    Pump();

    localDrives_ = callbacks_.buildLocalDrives ? callbacks_.buildLocalDrives()
                                               : std::vector<std::string>{};
    std::int64_t maximum = ComputeProgressMaximum(selection);
    progressPosition_ = 0;
    if (callbacks_.setProgressMaximum) callbacks_.setProgressMaximum(maximum);
    if (callbacks_.setProgressPosition) callbacks_.setProgressPosition(0);
    context_.reportComClasses = selection.comClasses;
    selection_ = selection;
    context_.listedClasses.clear();
    environment_.rules.BeginScan();

    struct Pass {
        bool chosen;
        int rootIndex;
        RegRoot root;
        std::string_view startPath;
    };
    const Pass passes[] = {
        {selection.classesRoot, 0, RegRoot::ClassesRoot, ""},
        {selection.currentUser, 1, RegRoot::CurrentUser, "Software"},
        {selection.localMachine, 2, RegRoot::LocalMachine, "Software"},
        {selection.users, 3, RegRoot::Users, ""},
    };
    for (const Pass& pass : passes) {
        if (!pass.chosen || StopRequested()) continue;
        context_.currentRootIndex = pass.rootIndex;
        std::string status = "Scan : ";
        status += RootFullName(pass.root);
        ShowStatus(status);
        ReadReg(pass.root, pass.startPath);
        // The firewall rules are the local machine's second walk; a stop during the first
        // one keeps the second from starting at all.
        if (pass.root == RegRoot::LocalMachine && !StopRequested()) {
            ReadReg(RegRoot::LocalMachine, kFirewallRulesPath);
        }
    }

    ScanReport report;
    report.stopped = StopRequested();
    report.elapsedText = FormatElapsedTime(Now() - start);
    ShowStatus(report.elapsedText);
    progressPosition_ = 0;
    if (callbacks_.setProgressPosition) callbacks_.setProgressPosition(0);
    return report;
}

void ScanDriver::ReadReg(RegRoot root, std::string_view startPath) {
    // The walk keeps its own stack rather than recursing: a registry nested deeper than any
    // real one must not exhaust the call stack. The order is the recursive one: a key, its
    // values, then each subkey with its whole subtree.
    std::vector<WalkFrame> stack;
    WalkFrame first{std::string(startPath), {}, 0};
    if (!VisitKey(root, first.path, first.subkeys)) return;
    stack.push_back(std::move(first));
    while (!stack.empty()) {
        WalkFrame& top = stack.back();
        if (top.next >= top.subkeys.size()) {
            stack.pop_back();
            continue;
        }
        Pump();
        if (StopRequested()) {
            stack.pop_back();
            continue;
        }
        const std::string& name = top.subkeys[top.next++];
        if (walkMode_ == WalkMode::Search ? name.empty() : NeverEnteredKeyName(name)) continue;
        std::string_view parentPath = top.path;
        if (!parentPath.empty() && parentPath.front() == '\\') parentPath.remove_prefix(1);
        environment_.rules.BeforeSubkey(context_, root, parentPath, name);
        WalkFrame child;
        // A child of the root is given as "\name", which the provider takes from the root.
        child.path.reserve(top.path.size() + name.size() + 1);
        child.path = top.path;
        child.path += '\\';
        child.path += name;
        if (VisitKey(root, child.path, child.subkeys)) stack.push_back(std::move(child));
    }
}

bool ScanDriver::WalkedUnderAnotherRoot(std::string_view relative) const {
    const std::string& sid = selection_.currentUserSid;
    if (sid.empty() || relative.size() <= sid.size() || !StartsWithNoCase(relative, sid)) {
        return false;
    }
    const std::string_view rest = relative.substr(sid.size());
    return (selection_.currentUser && EqualsNoCase(rest, "\\Software")) ||
           (selection_.classesRoot && EqualsNoCase(rest, "_Classes"));
}

bool ScanDriver::VisitKey(RegRoot root, const std::string& path,
                          std::vector<std::string>& subkeys) {
    std::string_view relative = path;
    if (!relative.empty() && relative.front() == '\\') relative.remove_prefix(1);
    // Keys directly below the root count for the progress bar, whether or not they are
    // entered, so that the bar reaches the count it was given.
    if (!relative.empty() && relative.find('\\') == std::string_view::npos) AdvanceProgress();

    if (walkMode_ == WalkMode::Scan && !path.empty() && !exclusions_.empty() &&
        exclusions_.ExcludedKey(path, context_.currentRootIndex)) {
        return false;
    }
    if (walkMode_ == WalkMode::Scan && root == RegRoot::Users && WalkedUnderAnotherRoot(relative)) {
        return false;
    }
    if (!environment_.rules.EnterKey(context_, root, relative)) return false;

    RegistryProvider provider(environment_.registry);
    provider.SetRootKey(root);
    // The scan never reports a key it cannot read: such a key is passed by with its subtree.
    if (!provider.OpenKeyReadOnly(path)) return false;

    if (showEachKey_) ShowStatus(provider.CurrentPath());
    Pump();
    flags_.Clear();

    provider.GetKeyNames(subkeys);
    std::vector<RegistryValue> values;
    (void)provider.ReadAllValues(values);  // a key whose values cannot be read has none to judge
    // The rules see copies of the path and name, so that a rule that opens another key
    // through the provider cannot pull the text from under the rules after it.
    const std::string keyPath = provider.CurrentPath();
    const std::string keyName = LastKeyName(keyPath);

    KeyVisit visit{root, provider, keyPath, keyName, subkeys, values, AsciiLower(keyPath)};
    if (!keyName.empty()) environment_.rules.ApplyKeyRules(context_, visit);

    for (const RegistryValue& value : values) {
        Pump();
        if (StopRequested()) break;
        environment_.rules.ApplyValueRules(context_, visit, value);
    }
    return true;
}

std::int64_t ScanDriver::ComputeProgressMaximum(const ScanSelection& selection) {
    auto countSubkeys = [this](RegRoot root, std::string_view path) -> std::int64_t {
        RegistryProvider provider(environment_.registry);
        provider.SetRootKey(root);
        if (!provider.OpenKeyReadOnly(path)) return 0;
        std::vector<std::string> names;
        provider.GetKeyNames(names);
        return static_cast<std::int64_t>(names.size());
    };
    auto countValues = [this](RegRoot root, std::string_view path) -> std::int64_t {
        RegistryProvider provider(environment_.registry);
        provider.SetRootKey(root);
        if (!provider.OpenKeyReadOnly(path)) return 0;
        std::vector<std::string> names;
        provider.GetValueNames(names);
        return static_cast<std::int64_t>(names.size());
    };

    std::int64_t maximum = 0;
    if (selection.classesRoot) maximum += countSubkeys(RegRoot::ClassesRoot, "");
    if (selection.currentUser) {
        maximum += countSubkeys(RegRoot::CurrentUser, "Software");
        maximum += countSubkeys(RegRoot::CurrentUser, "Software\\Microsoft\\Windows");
        maximum += countSubkeys(RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion");
    }
    if (selection.localMachine) {
        maximum += countSubkeys(RegRoot::LocalMachine, "Software");
        maximum += countValues(RegRoot::LocalMachine,
                               "Software\\microsoft\\windows\\currentversion\\shareddlls");
    }
    if (selection.users) maximum += countSubkeys(RegRoot::Users, "");
    return maximum;
}

void ScanDriver::AdvanceProgress() {
    ++progressPosition_;
    if (callbacks_.setProgressPosition) callbacks_.setProgressPosition(progressPosition_);
}

void ScanDriver::ShowStatus(std::string_view text) {
    if (callbacks_.showStatus) callbacks_.showStatus(text);
}

void ScanDriver::Pump() {
    if (callbacks_.pumpMessages) callbacks_.pumpMessages();
}

std::int64_t ScanDriver::Now() const {
    if (callbacks_.nowMilliseconds) return callbacks_.nowMilliseconds();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace kestrover
