// Record layouts: global script variables (GLOB) and game settings (GMST).
#pragma once

#include <cstdint>
#include <string>

#include "esfile/body.h"
#include "esfile/bytes.h"

namespace vellum {

// A global script variable: its name, a type letter and a value that the game stores as a float.
struct GLOBRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t FNAMLen = 0;
    std::string FNAM; // "s" short, "l" long, "f" float; a longer subrecord keeps all its characters
    int32_t FLTVLen = 0;
    float FLTV = 0;
    Extras extras;
    bool operator==(const GLOBRecord&) const = default;
};

// A game setting: a name and one value, a string, an integer or a float. The name and the string are held
// with all the characters of their subrecords (no terminator is removed).
struct GMSTRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t STRVLen = 0;
    std::string STRV;
    int32_t INTVLen = 0;
    int32_t INTV = 0;
    int32_t FLTVLen = 0;
    float FLTV = 0;
    Extras extras;
    bool operator==(const GMSTRecord&) const = default;
};

// Rounds to the nearest whole number, a value exactly halfway between two going to the even one.
double RoundHalfEven(double v);
// The value rules applied when a global is read: "ratskilled" reads as 0, a short is rounded and kept within
// -32767..32767 (0 otherwise), a long is rounded; any other type keeps its value.
float NormaliseGlobalValue(const std::string& name, const std::string& type, float value);
// A float setting keeps at most four decimals (halfway cases to the even digit).
float RoundSettingValue(float value);

void ReadGLOB(Body& b, GLOBRecord& rec);
void WriteGLOB(ByteWriter& w, const GLOBRecord& rec);
void ReadGMST(Body& b, GMSTRecord& rec);
void WriteGMST(ByteWriter& w, const GMSTRecord& rec);

} // namespace vellum
