// The registry as the Windows tests read and prepare it: whole keys with their values' types
// and raw bytes, a scratch key per test, the system's pending renames, the uninstall entry.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

using RegData = std::pair<DWORD, std::string>; // type, raw data bytes
using RegValues = std::map<std::string, RegData>;

std::string TextData(const std::string& text); // REG_SZ data: the text and its NUL
std::string DwordData(DWORD value);            // REG_DWORD data: 4 little-endian bytes
RegData Text(const std::string& text);
RegData Number(DWORD value);

// Every value of a key with its type and data; empty when the key cannot be opened.
RegValues ReadAllValues(HKEY root, const std::string& path);
bool KeyExists(HKEY root, const std::string& path);

struct RegValue {
    bool present = false;
    DWORD type = 0;
    std::string data; // raw bytes
};
RegValue ReadValue(HKEY root, const std::string& key, const std::string& name);
// Creates the key when missing; a failure is the calling test's.
void SetValue(HKEY root, const std::string& key, const std::string& name, const RegData& value);

// The system's own list of deletions and renames for its next start (NT family): pairs of an
// NT path (\??\C:\...) and a target, empty for a deletion. Empty when there is none.
extern const char SessionManagerKey[];
extern const char PendingRenamesValue[];
using PendingRenames = std::vector<std::pair<std::string, std::string>>;
PendingRenames ReadPendingRenames();
// 1 when the list was stored as given.
bool WritePendingRenames(const PendingRenames& pairs);
void ClearPendingRenames();

// A key of its own below HKEY_CURRENT_USER\Software\QntxTest, removed with all it holds.
class RegistryScratch {
public:
    RegistryScratch();
    ~RegistryScratch() { Remove(); }
    RegistryScratch(const RegistryScratch&) = delete;
    RegistryScratch& operator=(const RegistryScratch&) = delete;
    const std::string& Path() const { return path_; }
    bool Create();
    // The scratch key itself opened with full access, for use as a root; NULL on failure.
    HKEY Open() const;
    void Remove();

private:
    std::string path_;
};

// The 17 values of the uninstall key.
RegValues ExpectedUninstallValues(const std::string& command, const std::string& location, const std::string& source,
                                  const std::string& owner);
