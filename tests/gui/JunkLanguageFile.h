// A language file buried in junk: 10 000 lines of random bytes, NUL bytes, invalid UTF-8, lines
// without an equals sign, "[" alone, very long lines and sections of no meaning, with a few valid
// texts between them. The texts it gives: btRegistry "Registre" (section written "[bigbutton]"),
// btSelectAll "Tout" (section written "[buttons ]"), lbFILE "Fichier absent".
#pragma once

#include <cstdint>
#include <string>

namespace kestrover::gui::testing_junk {

inline std::string JunkLanguageFile() {
    std::string file = "LanguageName=Junk\r\n";
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    auto junk = [&](int lines) {
        for (int line = 0; line < lines; ++line) {
            switch (line % 8) {
                case 0: {
                    // Random bytes, line breaks left out (they would only make more lines).
                    const std::uint32_t size = 1 + next() % 200;
                    for (std::uint32_t index = 0; index < size; ++index) {
                        char byte = static_cast<char>(next() & 0xFF);
                        if (byte == '\r' || byte == '\n') byte = '#';
                        file += byte;
                    }
                    break;
                }
                case 1: file += "a line without an equals sign " + std::to_string(line); break;
                case 2: file += line % 3 == 0 ? "[" : "]"; break;
                case 3: file += std::string("nul\0key=nul\0value", 17); break;
                case 4: file += "\xC3\x28\xA0\xA1=\xE2\x82\xF0\x90\x28\xBC\xFF\xFE"; break;
                case 5:
                    if (line % 500 == 5) {
                        file += std::string(50000, 'k') + "=" + std::string(50000, 'v');
                    } else {
                        file += "=a value without a key";
                    }
                    break;
                case 6: file += "[junk section " + std::to_string(line) + "]"; break;
                default: file += "[]"; break;
            }
            file += "\r\n";
        }
    };
    junk(3000);
    file += "[buttons ]\r\nbtSelectAll=Tout\r\n";
    junk(3000);
    file += "[bigbutton]\r\nbtRegistry=Registre\r\n";
    junk(2000);
    file += "[listbox messages]\r\nlbFILE=Fichier absent\r\n";
    junk(2000);
    return file;
}

}  // namespace kestrover::gui::testing_junk
