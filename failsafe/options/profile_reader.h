#pragma once
// Reads an options file with the semantics of the classic private profile
// functions: sections and keys match without regard to case and surrounding
// blanks, the first matching key wins (sections of one name count as one), a
// missing file, section or key yields the default, and the value is cut to the
// characters kept.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::failsafe {

class ProfileReader {
public:
    // Reads the whole file once; a missing or unreadable file reads as empty.
    explicit ProfileReader(const std::filesystem::path& file);
    static ProfileReader fromText(std::string_view text);

    bool fileExists() const { return exists_; }

    // The value of section/key, or the default when either is missing; at most
    // `kept` characters. A value enclosed in one pair of matching quotes loses
    // them, as the profile functions do.
    std::string get(std::string_view section, std::string_view key, std::string_view defaultValue,
                    size_t kept) const;

private:
    ProfileReader() = default;
    void parse(std::string_view text);

    struct Entry {
        std::string section;
        std::string key;
        std::string value;
    };
    std::vector<Entry> entries_;
    bool exists_ = false;
};

}  // namespace lumo::failsafe
