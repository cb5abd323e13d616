// The packer's manifest: one line per file record, in the order the installer installs them.
//
//   # comment (a line whose first non-blank character is '#'); blank lines are ignored
//   SOURCE  NAME  LABEL  [OPTION...]
//
// Fields are separated by blanks; a field holding blanks is put in double quotes (there are
// no escapes, so a field cannot hold a '"'). SOURCE is the file to pack, relative to the
// manifest's folder; NAME the destination ("@\x.dll" for the system folder); LABEL the text
// the progress window shows. OPTIONs: "hidden" (installed with the hidden attribute),
// "plain" (stored unchanged) or "szdd" (packed, the default). A UTF-8 byte order mark at the
// start is skipped. The text is UTF-8; NAME and LABEL are converted to the ANSI code page
// that setup will read them in, and a character that code page lacks is an error of its line.
#pragma once
#include "packer/code_page.h"
#include <string>
#include <vector>

namespace packer {

struct ManifestEntry {
    int line = 0;
    std::string source;
    std::string name;  // in the code page
    std::string label; // in the code page
    bool hidden = false;
    bool szdd = true;
};

struct ManifestError {
    int line = 0;
    std::string message;
};

// Parses the whole text; every problem found is added to `errors` (name and label rules
// included, on the converted bytes). Entries are returned for the lines that parsed.
std::vector<ManifestEntry> ParseManifest(const std::string& text, std::vector<ManifestError>& errors,
                                         int codePage = DefaultCodePage);

} // namespace packer
