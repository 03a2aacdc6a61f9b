#include "failsafe/categories.h"

#include <array>
#include <string_view>

namespace lumo::failsafe {
namespace {

struct Range {
    int32_t first, last;
    int classCode;
};

// Every listed number range with its class; numbers not listed are class 15.
constexpr Range ranges[] = {
    {3, 46, 2}, {50, 51, 2}, {454, 455, 2},
    {47, 49, 3}, {52, 69, 3}, {71, 76, 3}, {452, 453, 3}, {708, 708, 3}, {712, 713, 3}, {716, 716, 3},
    {719, 719, 3}, {722, 722, 3}, {725, 725, 3}, {730, 731, 3},
    {91, 95, 4},
    {280, 298, 5},
    {260, 260, 6}, {320, 394, 6},
    {400, 404, 7}, {426, 426, 7},
    {420, 425, 8},
    {460, 461, 9}, {520, 521, 9},
    {480, 481, 10}, {485, 485, 10},
    {482, 484, 11},
    {709, 711, 12}, {714, 715, 12}, {717, 718, 12}, {720, 721, 12}, {723, 724, 12}, {726, 729, 12},
    {732, 785, 12},
    {429, 430, 13}, {432, 432, 13}, {438, 438, 13}, {440, 440, 13}, {442, 443, 13}, {445, 451, 13},
    {458, 458, 13},
    {31999, 32000, 14}, {32016, 32750, 14}, {32767, 32767, 14},
    {30000, 30019, 45}, {32001, 32015, 45},
    {457, 457, 46}, {600, 646, 46},
    {20476, 20478, 47}, {24574, 24574, 47}, {28660, 28671, 47}, {32751, 32766, 47},
    {2420, 2448, 54}, {3000, 3005, 54}, {3007, 3007, 54}, {3010, 3044, 54}, {3047, 3049, 54},
    {3053, 3185, 54}, {3190, 3195, 54}, {3198, 3210, 54}, {3213, 3217, 54}, {3219, 3224, 54},
    {3226, 3259, 54}, {3262, 3451, 54}, {3454, 3454, 54}, {3462, 3462, 54}, {3608, 3622, 54},
    {31003, 31004, 57}, {31006, 31009, 57}, {31017, 31019, 57}, {31021, 31024, 57}, {31026, 31029, 57},
    {31031, 31039, 57},
    {3006, 3006, 59}, {3008, 3009, 59}, {3045, 3046, 59}, {3050, 3052, 59}, {3186, 3189, 59},
    {3196, 3197, 59}, {3211, 3212, 59}, {3218, 3218, 59}, {3225, 3225, 59}, {3260, 3261, 59},
    {70, 70, 60},
    {3452, 3453, 63}, {3455, 3461, 63}, {3463, 3463, 63}, {3465, 3465, 63}, {3472, 3472, 63},
    {3485, 3492, 63}, {3499, 3499, 63}, {3510, 3510, 63}, {3515, 3515, 63}, {3520, 3520, 63},
    {3532, 3533, 63}, {3545, 3546, 63}, {3548, 3550, 63}, {3552, 3553, 63}, {3559, 3561, 63},
    {3566, 3566, 63}, {3569, 3569, 63}, {3572, 3572, 63}, {3574, 3577, 63}, {3584, 3584, 63},
    {3592, 3595, 63}, {3605, 3605, 63}, {3607, 3607, 63}, {3626, 3626, 63},
    {35600, 35618, 64},
    {40000, 40059, 65},
    {40500, 40516, 66},
};

struct ClassName {
    int classCode;
    std::string_view name;
};

constexpr ClassName classNames[] = {
    {2, "General run-time"},
    {3, "File System (disk, directory or file) access"},
    {4, "Non-initialzed object or variant"},
    {5, "Dynamic Data Exchange protocol"},
    {6, "Form, control, property or object value"},
    {7, "Form or MDI child form"},
    {8, "Object reference"},
    {9, "Clipboard access or format"},
    {10, "Picturebox or image control"},
    {11, "Printer access"},
    {12, "Design-time"},
    {13, "Object Linking and Embedding"},
    {14, "Custom Control or user defined"},
    {15, "User defined "},
    {45, "Grid control"},
    {46, "ODBC"},
    {47, "Common Dialog"},
    {54, "Data Access"},
    {57, "OLE Container Control"},
    {59, "ODBC Network"},
    {60, "Network "},
    {62, "Remote OLE Automation"},
    {63, "Replication"},
    {64, "Windows 95 Custom Control"},
    {65, "Remote Data Object (RDO)"},
    {66, "Remote Data Control (RDC)"},
};

}  // namespace

int errorClass(int32_t number) {
    if (number < 0) return 62;
    for (const Range& range : ranges)
        if (number >= range.first && number <= range.last) return range.classCode;
    return 15;
}

std::string errorClassName(int classCode) {
    for (const ClassName& entry : classNames)
        if (entry.classCode == classCode) return std::string(entry.name);
    return "Unknown Error Class";
}

std::string errorCategory(int32_t number) { return errorClassName(errorClass(number)) + " error"; }

}  // namespace lumo::failsafe
