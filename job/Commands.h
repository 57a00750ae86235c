#pragma once

#include <string_view>

namespace velmar {

// Command texts shared by the job writers, the direct commands and the print
// run. All of them are plain ASCII.
inline constexpr std::string_view DmplHeader = ";:H ECN A U ";
inline constexpr std::string_view DmplPenUp = "U";
inline constexpr std::string_view DmplPenDown = "D";
inline constexpr std::string_view DmplTrailer = "UF @  ";  // two blanks at the end

// The plotter set-up block: 20 commands, CR LF between them, none after the last.
inline constexpr std::string_view HpglHeader =
    "IN;\r\n"
    "VS32,1;\r\nVS32,2;\r\nVS32,3;\r\nVS32,4;\r\nVS32,5;\r\nVS32,6;\r\nVS32,7;\r\nVS32,8;\r\n"
    "WU0;\r\n"
    "PW0.350,1;\r\nPW0.350,2;\r\nPW0.350,3;\r\nPW0.350,4;\r\n"
    "PW0.350,5;\r\nPW0.350,6;\r\nPW0.350,7;\r\nPW0.350,8;\r\n"
    "SP1;\r\n"
    "LT;";
inline constexpr std::string_view HpglPenUp = "PU";
inline constexpr std::string_view HpglPenDown = "PD";
inline constexpr std::string_view HpglLineType = "LT;";
inline constexpr std::string_view HpglPenOff = "SP0;";

// Mouse-wheel zoom factors, single precision on purpose: the view arithmetic
// multiplies by exactly these float values.
inline constexpr float ZoomOutFactor = 0.9f;
inline constexpr float ZoomInFactor = 1.1f;

}  // namespace velmar
