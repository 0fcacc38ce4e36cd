// For tests only: the 22 files of a generation run and the names the renaming gives them,
// written out by hand as the oracle the renaming is checked against (not derived from the
// renaming rules, so a wrong rule cannot agree with itself).
#pragma once

#include <map>
#include <string>

namespace dalvo {

inline const std::map<std::string, std::string> kPublication = {
    {"number1.txt", "appendix_1_number_1.txt"},   {"number2.txt", "appendix_1_number_2.txt"},
    {"number3.txt", "appendix_1_number_3.txt"},   {"number4.txt", "appendix_1_number_4.txt"},
    {"number5.txt", "appendix_1_number_5.txt"},   {"number6.txt", "appendix_1_number_6.txt"},
    {"number7.txt", "appendix_1_number_7.txt"},   {"number8.txt", "appendix_1_number_8.txt"},
    {"number9.txt", "appendix_1_number_9.txt"},   {"number10.txt", "appendix_1_number_10.txt"},
    {"number11.txt", "appendix_1_number_11.txt"}, {"number12.txt", "appendix_1_number_12.txt"},
    {"number13.txt", "appendix_1_number_13.txt"}, {"number14.txt", "appendix_1_number_14.txt"},
    {"number15.txt", "appendix_1_number_15.txt"}, {"ap24-63.txt", "appendix_24_proof_63.txt"},
    {"ap24-64.txt", "appendix_24_proof_64.txt"},  {"ap24-65.txt", "appendix_24_proof_65.txt"},
    {"n13038d.txt", "kelvatrons_perspective_nov_1989_nr_1.txt"},
    {"n37088d.txt", "kelvatrons_perspective_nov_1989_nr_2.txt"},
    {"n14453d.txt", "n14453d.txt"},               {"n20257d.txt", "n20257d.txt"},
};

}  // namespace dalvo
