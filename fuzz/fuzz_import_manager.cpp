// Imports arbitrary bytes into an open manager that already holds entries. Whatever the file
// holds, the import is all or nothing: on failure the document is exactly as before; on
// success its old entries come first, unchanged, and one entry was added per stored record.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/document/ManagerFileFormat.h"
#include "core/operations/Import.h"
#include "core/operations/ManagerFile.h"
#include "support/DocumentHarness.h"

#include <cstdio>

namespace {

void Require(bool condition, int line) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_import_manager: check on line %d failed\n", line);
        std::abort();
    }
}

}  // namespace

#define Check(condition) Require((condition), __LINE__)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace bh;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    test::DocumentHarness h;
    h.fs.AddFile("/src/a.txt", "alpha", 2000);
    h.fs.AddFile("/arc/a.txt", "old", 1000);
    h.WriteManager("/m/open.bak", {{"/src/a.txt", "/arc/a.txt", "kept"}});
    if (!OpenDocumentFile(*h.doc, "/m/open.bak")) {
        std::abort();
    }
    h.fs.AddFile("/m/other.bak", bytes);
    const test::DocumentState before = h.State();
    const std::size_t boxesBefore = h.ui.MessageBoxes().size();

    const ImportResult result = ImportManager(*h.doc, "/m/other.bak");
    const test::DocumentState after = h.State();
    const ManagerReadResult parsed = DecodeManager(bytes);
    if (result != ImportResult::Imported) {
        Check(after == before);
        Check(result == ImportResult::Empty ||
              h.ui.MessageBoxes().size() == boxesBefore + 1);  // every failure is told
        Check(result != ImportResult::Empty || bytes.empty() ||
              (parsed.status == ManagerReadStatus::Ok && parsed.records.empty()));
        return 0;
    }
    Check(parsed.status == ManagerReadStatus::Ok);
    Check(after.entries.size() == before.entries.size() + parsed.records.size());
    Check(after.rows.size() == after.entries.size());
    Check(after.entries.front() == before.entries.front());
    Check(after.modified && after.path == before.path);
    // Files are only read: nothing was created, changed or removed.
    Check(h.fs.Content("/src/a.txt") == "alpha" && h.fs.Content("/arc/a.txt") == "old");
    Check(h.fs.Paths().size() == 4);
    return 0;
}
