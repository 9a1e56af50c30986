#include "platform/carbon/StandardKeyboardLayouts.hpp"

namespace carbon {

namespace {

enum DeadKeyIdentifier : UInt32 { acute = 1, grave, circumflex, tilde, umlaut };

void defineDeadKeys(UCKeyboardLayout& layout, std::string_view acuteTerminator, std::string_view graveTerminator,
                    std::string_view circumflexTerminator) {
    layout.defineDeadKey(acute, acuteTerminator,
                         {{"a", "á"}, {"e", "é"}, {"i", "í"}, {"o", "ó"}, {"u", "ú"}, {"A", "Á"}, {"E", "É"},
                          {"I", "Í"}, {"O", "Ó"}, {"U", "Ú"}, {" ", std::string_view(acuteTerminator)}});
    layout.defineDeadKey(grave, graveTerminator,
                         {{"a", "à"}, {"e", "è"}, {"i", "ì"}, {"o", "ò"}, {"u", "ù"}, {"A", "À"}, {"E", "È"},
                          {"I", "Ì"}, {"O", "Ò"}, {"U", "Ù"}, {" ", std::string_view(graveTerminator)}});
    layout.defineDeadKey(circumflex, circumflexTerminator,
                         {{"a", "â"}, {"e", "ê"}, {"i", "î"}, {"o", "ô"}, {"u", "û"}, {"A", "Â"}, {"E", "Ê"},
                          {"I", "Î"}, {"O", "Ô"}, {"U", "Û"}, {" ", std::string_view(circumflexTerminator)}});
    layout.defineDeadKey(tilde, "˜", {{"a", "ã"}, {"n", "ñ"}, {"o", "õ"}, {"A", "Ã"}, {"N", "Ñ"}, {"O", "Õ"}, {" ", "~"}});
    layout.defineDeadKey(umlaut, "¨",
                         {{"a", "ä"}, {"e", "ë"}, {"i", "ï"}, {"o", "ö"}, {"u", "ü"}, {"y", "ÿ"}, {"A", "Ä"},
                          {"E", "Ë"}, {"I", "Ï"}, {"O", "Ö"}, {"U", "Ü"}, {" ", "¨"}});
}

// Keys that type the same on both layouts: control characters, the keypad and the
// navigation and function keys.
void addCommonKeys(UCKeyboardLayout& layout) {
    layout.key(36, "\r").key(48, "\t").key(49, " ", " ", " ", " ").key(51, "\x08").key(53, "\x1b").key(76, "\x03");
    layout.key(65, ".").key(67, "*").key(69, "+").key(71, "\x1b").key(75, "/").key(78, "-").key(81, "=");
    const char* digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    const UInt16 keypadCodes[] = {82, 83, 84, 85, 86, 87, 88, 89, 91, 92};
    for (int index = 0; index < 10; ++index) layout.key(keypadCodes[index], digits[index]);
    layout.key(123, "\x1c").key(124, "\x1d").key(125, "\x1f").key(126, "\x1e");
    layout.key(114, "\x05").key(115, "\x01").key(116, "\x0b").key(117, "\x7f").key(119, "\x04").key(121, "\x0c");
    for (UInt16 functionKey : {122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113, 106, 64, 79, 80, 90})
        layout.key(functionKey, "\x10");
}

}  // namespace

std::shared_ptr<const UCKeyboardLayout> makeUSKeyboardLayout() {
    auto layout = std::make_shared<UCKeyboardLayout>("U.S.");
    auto& us = *layout;
    us.key(0, "a", "A", "å", "Å").key(1, "s", "S", "ß", "Í").key(2, "d", "D", "∂", "Î").key(3, "f", "F", "ƒ", "Ï");
    us.key(4, "h", "H", "˙", "Ó").key(5, "g", "G", "©", "˝").key(6, "z", "Z", "Ω", "¸").key(7, "x", "X", "≈", "˛");
    us.key(8, "c", "C", "ç", "Ç").key(9, "v", "V", "√", "◊").key(11, "b", "B", "∫", "ı").key(12, "q", "Q", "œ", "Œ");
    us.key(13, "w", "W", "∑", "„").key(14, "e", "E", "", "´").key(15, "r", "R", "®", "‰").key(16, "y", "Y", "¥", "Á");
    us.key(17, "t", "T", "†", "ˇ").key(18, "1", "!", "¡", "⁄").key(19, "2", "@", "™", "€").key(20, "3", "#", "£", "‹");
    us.key(21, "4", "$", "¢", "›").key(22, "6", "^", "§", "ﬂ").key(23, "5", "%", "∞", "ﬁ").key(24, "=", "+", "≠", "±");
    us.key(25, "9", "(", "ª", "·").key(26, "7", "&", "¶", "‡").key(27, "-", "_", "–", "—").key(28, "8", "*", "•", "°");
    us.key(29, "0", ")", "º", "‚").key(30, "]", "}", "‘", "’").key(31, "o", "O", "ø", "Ø").key(32, "u", "U", "", "¨");
    us.key(33, "[", "{", "“", "”").key(34, "i", "I", "", "ˆ").key(35, "p", "P", "π", "∏").key(37, "l", "L", "¬", "Ò");
    us.key(38, "j", "J", "∆", "Ô").key(39, "'", "\"", "æ", "Æ").key(40, "k", "K", "˚", "").key(41, ";", ":", "…", "Ú");
    us.key(42, "\\", "|", "«", "»").key(43, ",", "<", "≤", "¯").key(44, "/", "?", "÷", "¿").key(45, "n", "N", "", "˜");
    us.key(46, "m", "M", "µ", "Â").key(47, ".", ">", "≥", "˘").key(50, "`", "~", "", "`");
    addCommonKeys(us);
    using Layer = UCKeyboardLayout::Layer;
    us.deadKey(14, Layer::option, acute).deadKey(50, Layer::option, grave).deadKey(34, Layer::option, circumflex);
    us.deadKey(45, Layer::option, tilde).deadKey(32, Layer::option, umlaut);
    defineDeadKeys(us, "´", "`", "ˆ");
    return layout;
}

std::shared_ptr<const UCKeyboardLayout> makeGermanKeyboardLayout() {
    auto layout = std::make_shared<UCKeyboardLayout>("German");
    auto& de = *layout;
    de.key(0, "a", "A", "å", "Å").key(1, "s", "S", "‚", "Í").key(2, "d", "D", "∂", "™").key(3, "f", "F", "ƒ", "Ï");
    de.key(4, "h", "H", "ª", "Ó").key(5, "g", "G", "©", "Ì").key(6, "y", "Y", "¥", "‡").key(7, "x", "X", "≈", "Ù");
    de.key(8, "c", "C", "ç", "Ç").key(9, "v", "V", "√", "◊").key(10, "", "°", "„", "“").key(11, "b", "B", "∫", "‹");
    de.key(12, "q", "Q", "«", "»").key(13, "w", "W", "∑", "„").key(14, "e", "E", "€", "‰").key(15, "r", "R", "®", "¸");
    de.key(16, "z", "Z", "Ω", "˝").key(17, "t", "T", "†", "ˇ").key(18, "1", "!", "¡", "¬").key(19, "2", "\"", "“", "”");
    de.key(20, "3", "§", "¶", "#").key(21, "4", "$", "¢", "£").key(22, "6", "&", "]", "").key(23, "5", "%", "[", "ﬁ");
    de.key(24, "", "", "'", "").key(25, "9", ")", "}", "˛").key(26, "7", "/", "|", "\\").key(27, "ß", "?", "¿", "˙");
    de.key(28, "8", "(", "{", "˜").key(29, "0", "=", "≠", "¯").key(30, "+", "*", "±", "").key(31, "o", "O", "ø", "Ø");
    de.key(32, "u", "U", "", "").key(33, "ü", "Ü", "•", "°").key(34, "i", "I", "⁄", "Û").key(35, "p", "P", "π", "∏");
    de.key(37, "l", "L", "@", "ﬂ").key(38, "j", "J", "º", "ı").key(39, "ä", "Ä", "æ", "Æ").key(40, "k", "K", "˚", "");
    de.key(41, "ö", "Ö", "œ", "Œ").key(42, "#", "'", "‘", "’").key(43, ",", ";", "∞", "˛").key(44, "-", "_", "–", "—");
    de.key(45, "n", "N", "", "").key(46, "m", "M", "µ", "˘").key(47, ".", ":", "…", "÷").key(50, "<", ">", "≤", "≥");
    addCommonKeys(de);
    using Layer = UCKeyboardLayout::Layer;
    de.deadKey(10, Layer::plain, circumflex).deadKey(24, Layer::plain, acute).deadKey(24, Layer::shift, grave);
    de.deadKey(45, Layer::option, tilde).deadKey(32, Layer::option, umlaut);
    defineDeadKeys(de, "´", "`", "^");
    return layout;
}

}  // namespace carbon
