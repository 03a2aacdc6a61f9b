#include "platform/linux/drive_letters.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace lumo::platform::linux_drives {
namespace {

DriveEntry::Kind kindOf(const std::string& value) {
    if (value.empty()) return DriveEntry::Kind::Empty;
    if (value.rfind("/dev/", 0) == 0) return DriveEntry::Kind::Device;
    return DriveEntry::Kind::Image;
}

// Two spellings of one file or device count as the same.
std::string sameness(const std::string& value) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(value, error);
    return error ? value : canonical.string();
}

}  // namespace

LetterAssignment assignLetters(const std::vector<std::pair<std::string, std::string>>& configured,
                               const std::vector<std::string>& foundDevices) {
    LetterAssignment result;
    std::map<char, DriveEntry> byLetter;
    std::map<std::string, char> owner;  // device or image -> its letter
    // Letters in alphabetical order, so that the earlier letter keeps a
    // device that two letters name.
    std::vector<std::pair<std::string, std::string>> sorted = configured;
    for (auto& [key, value] : sorted)
        for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::sort(sorted.begin(), sorted.end());
    for (const auto& [key, value] : sorted) {
        if (key.size() != 1 || !std::isalpha(static_cast<unsigned char>(key[0]))) {
            result.problems.push_back("Drives: '" + key + "' is not a drive letter A to Z; the entry is ignored");
            continue;
        }
        const char letter = key[0];
        if (letter == 'C') {
            result.problems.push_back("Drives: C is the root file system; the entry C=" + value + " is ignored");
            continue;
        }
        if (byLetter.count(letter)) {
            result.problems.push_back(std::string("Drives: ") + letter + " is given twice; the first entry counts");
            continue;
        }
        if (!value.empty()) {
            const std::string key2 = sameness(value);
            if (const auto taken = owner.find(key2); taken != owner.end()) {
                result.problems.push_back(std::string("Drives: ") + letter + " and " + taken->second + " both name " +
                                          value + "; " + taken->second + " keeps it");
                continue;
            }
            owner[key2] = letter;
        }
        byLetter[letter] = DriveEntry{letter, kindOf(value), value};
    }
    for (const std::string& device : foundDevices) {
        if (owner.count(sameness(device))) continue;
        char letter = 'D';
        while (letter <= 'Z' && byLetter.count(letter)) ++letter;
        if (letter > 'Z') {
            result.problems.push_back("Drives: no free letter for " + device);
            continue;
        }
        owner[sameness(device)] = letter;
        byLetter[letter] = DriveEntry{letter, DriveEntry::Kind::Device, device};
        result.newEntries.emplace_back(letter, device);
    }
    for (auto& [letter, entry] : byLetter) result.drives.push_back(entry);
    return result;
}

}  // namespace lumo::platform::linux_drives
