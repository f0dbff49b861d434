#include "SeedCorpus.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/document/ManagerFileFormat.h"

namespace bh::fuzz {

namespace {

void AppendLe(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// A wide-text string: the marker, a length in UTF-16 units in the form that fits, the units.
std::string WideString(const std::u16string& text) {
    std::string out("\xFF\xFE\xFF", 3);
    const std::uint64_t units = text.size();
    if (units < 0xFF) {
        AppendLe(out, units, 1);
    } else if (units < 0xFFFE) {
        out.push_back('\xFF');
        AppendLe(out, units, 2);
    } else {
        out.push_back('\xFF');
        AppendLe(out, 0xFFFF, 2);
        AppendLe(out, units, 4);
    }
    for (const char16_t unit : text) {
        AppendLe(out, unit, 2);
    }
    return out;
}

std::string Header(std::uint32_t count) {
    std::string out;
    AppendManagerString(out, kManagerHeader);
    AppendLe(out, count, 4);
    return out;
}

std::string Narrow(const std::vector<ManagerRecord>& records) {
    return EncodeManager(records);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SeedManagers() {
    std::vector<std::pair<std::string, std::string>> seeds;
    seeds.emplace_back("empty-list", Narrow({}));
    seeds.emplace_back("one-entry", Narrow({{"/home/ann/a.txt", "/mnt/arc/a.txt", ""}}));
    seeds.emplace_back("notes", Narrow({{"/home/ann/a.txt", "/mnt/arc/a.txt", "weekly"},
                                        {"C:\\Docs\\b.doc", "D:\\Arc\\b.doc", "tabs\there"}}));
    seeds.emplace_back(
        "length16",
        Narrow({{"/src/" + std::string(300, 'p'), "/arc/" + std::string(1000, 'q'), "n"}}));
    seeds.emplace_back("length32", Narrow({{"/src/big", "/arc/big", std::string(70000, 'x')}}));
    seeds.emplace_back("utf8-and-raw", Narrow({{"/src/caf\xC3\xA9", "/arc/\xFF\xFEraw", "\n"}}));

    std::string wide = Header(2);
    wide += WideString(u"/src/\u00e9t\u00e9.txt");
    wide += WideString(u"/arc/\u6587\u66f8.txt");
    wide += WideString(u"\U0001F600 note");
    wide += WideString(std::u16string(400, u'w'));  // 16-bit length in characters
    wide += WideString(u"/arc/w");
    wide += WideString(u"\xD800 lone");  // an unpaired surrogate
    seeds.emplace_back("wide", wide);

    std::string wideHuge = Header(1);
    wideHuge += WideString(u"/src/h");
    wideHuge += WideString(u"/arc/h");
    wideHuge += WideString(std::u16string(66000, u'h'));  // 32-bit length in characters
    seeds.emplace_back("wide-length32", wideHuge);

    std::string mixed = Header(1);
    AppendManagerString(mixed, "/src/mixed");
    mixed += WideString(u"/arc/mixed");
    AppendManagerString(mixed, "");
    mixed += "trailing bytes are ignored";
    seeds.emplace_back("mixed", mixed);
    return seeds;
}

}  // namespace bh::fuzz

// Writes each seed as a file into the folder named by the only argument.
int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: fuzz_seed_corpus FOLDER\n", stderr);
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(argv[1], error);
    for (const auto& [name, bytes] : bh::fuzz::SeedManagers()) {
        std::ofstream out(std::filesystem::path(argv[1]) / (name + ".bak"), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::perror(name.c_str());
            return 1;
        }
    }
    return 0;
}
