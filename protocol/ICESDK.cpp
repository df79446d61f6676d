// The voice phrase table and the conversion of a text (a plate) into a phrase number list.
#include "protocol/ICESDK.h"

#include <string>

#include "common/GbkText.h"

namespace tavo {

// Each phrase as GBK bytes; the comment gives its number and its text. Phrase 20 holds an ASCII
// comma and blank, phrases 22, 24, 25, 47 and 75 the full-width comma (A3 AC).
// clang-format off
const std::array<std::string_view, kPhraseCount> PhraseTable = {
    "0", // 0 0
    "1", // 1 1
    "2", // 2 2
    "3", // 3 3
    "4", // 4 4
    "5", // 5 5
    "6", // 6 6
    "7", // 7 7
    "8", // 8 8
    "9", // 9 9
    "\xCA\xAE", // 10 十
    "\xB0\xD9", // 11 百
    "\xC7\xA7", // 12 千
    "\xC4\xEA", // 13 年
    "\xD4\xC2", // 14 月
    "\xC8\xD5", // 15 日
    "\xD0\xA1\xCA\xB1", // 16 小时
    "\xB7\xD6\xD6\xD3", // 17 分钟
    "\xC3\xEB", // 18 秒
    "\xD4\xAA", // 19 元
    "\xD3\xD0\xBF\xA8\xC7\xEB\xCB\xA2\xBF\xA8, \xCE\xDE\xBF\xA8\xC7\xEB\xC8\xA1\xBF\xA8", // 20 有卡请刷卡, 无卡请取卡
    "\xC7\xEB\xCB\xA2\xBF\xA8", // 21 请刷卡
    "\xC7\xEB\xCB\xA2\xBF\xA8\xA3\xAC\xC1\xD9\xCA\xB1\xBF\xA8\xC7\xEB\xBD\xBB\xBF\xA8", // 22 请刷卡，临时卡请交卡
    "\xD3\xD0\xD0\xA7\xC6\xDA\xB5\xBD", // 23 有效期到
    "\xC4\xFA\xB5\xC4\xBF\xA8\xBF\xEC\xB5\xBD\xC6\xDA\xA3\xAC\xC7\xEB\xBC\xB0\xCA\xB1\xB3\xE4\xD6\xB5", // 24 您的卡快到期，请及时充值
    "\xC4\xFA\xB5\xC4\xBF\xA8\xD2\xD1\xB9\xFD\xC6\xDA\xA3\xAC\xC7\xEB\xB3\xE4\xD6\xB5", // 25 您的卡已过期，请充值
    "\xC4\xFA\xB5\xC4\xBF\xA8\xB1\xBB\xB5\xB1\xD7\xF7\xC1\xD9\xCA\xB1\xBF\xA8\xCA\xB9\xD3\xC3", // 26 您的卡被当作临时卡使用
    "\xBF\xA8\xCE\xB4\xBF\xAA\xCD\xA8", // 27 卡未开通
    "\xD6\xD8\xD0\xC2\xB6\xC1\xBF\xA8", // 28 重新读卡
    "\xCE\xDE\xD0\xA7\xBF\xA8", // 29 无效卡
    "\xB9\xD2\xCA\xA7\xBF\xA8", // 30 挂失卡
    "\xB4\xCB\xBF\xA8\xD2\xD1\xB9\xFD\xC6\xDA", // 31 此卡已过期
    "\xD2\xD1\xBD\xF8\xB3\xA1", // 32 已进场
    "\xD2\xD1\xB3\xF6\xB3\xA1", // 33 已出场
    "\xCD\xA3\xB3\xB5", // 34 停车
    "\xCF\xFB\xB7\xD1", // 35 消费
    "call in", // 36 call in
    "call out", // 37 call out
    "\xB6\xD4\xB7\xBD\xC3\xA6", // 38 对方忙
    "\xB6\xD4\xB7\xBD\xCE\xDE\xD3\xA6\xB4\xF0", // 39 对方无应答
    "\xCF\xB5\xCD\xB3\xCA\xB1\xBC\xE4\xB4\xED\xCE\xF3", // 40 系统时间错误
    "\xCE\xB4\xB3\xF6\xD7\xD3\xC7\xF8", // 41 未出子区
    "\xCE\xB4\xBD\xF8\xD6\xF7\xC7\xF8", // 42 未进主区
    "\xCE\xB4\xB3\xF6\xD6\xF7\xC7\xF8", // 43 未出主区
    "\xCD\xF8\xC2\xE7\xCD\xA8\xD1\xB6\xCA\xA7\xB0\xDC", // 44 网络通讯失败
    "\xBB\xB6\xD3\xAD\xB9\xE2\xC1\xD9", // 45 欢迎光临
    "\xD2\xBB\xC2\xB7\xCB\xB3\xB7\xE7", // 46 一路顺风
    "\xD3\xE0\xB6\xEE\xB2\xBB\xD7\xE3\xA3\xAC\xBF\xA8\xC9\xCF\xD3\xE0\xB6\xEE\xD6\xBB\xD3\xD0", // 47 余额不足，卡上余额只有
    "\xB1\xBE\xBB\xFA\xBD\xFB\xD6\xB9\xB6\xC1\xBF\xA8", // 48 本机禁止读卡
    "\xB1\xBE\xBB\xFA\xB4\xA6\xD3\xDA\xBD\xFB\xD6\xB9\xD7\xB4\xCC\xAC", // 49 本机处于禁止状态
    "\xC7\xEB\xB2\xE5\xBF\xA8", // 50 请插卡
    "\xB2\xB9\xBD\xBB\xCA\xD5\xB7\xD1", // 51 补交收费
    "\xB4\xF8\xBF\xA8\xBD\xF8\xB3\xA1", // 52 带卡进场
    "\xB4\xF8\xBF\xA8\xB3\xF6\xB3\xA1", // 53 带卡出场
    "\xBF\xA8\xC9\xCF\xD3\xE0\xB6\xEE", // 54 卡上余额
    "\xCA\xD5\xB7\xD1", // 55 收费
    "\xB6\xC1\xBF\xA8\xB3\xC9\xB9\xA6", // 56 读卡成功
    "\xC4\xA6\xCD\xD0\xB3\xB5", // 57 摩托车
    "\xD0\xA1\xD0\xCD\xB3\xB5", // 58 小型车
    "\xD6\xD0\xD0\xCD\xB3\xB5", // 59 中型车
    "\xB4\xF3\xD0\xCD\xB3\xB5", // 60 大型车
    "\xB3\xAC\xB4\xF3\xB3\xB5", // 61 超大车
    "\xD4\xA4\xC1\xF4\xB3\xB5", // 62 预留车
    "\xCE\xDE\xCA\xDA\xC8\xA8", // 63 无授权
    "\xD6\xB5\xB0\xE0\xD4\xB1\xC7\xEB\xC8\xB7\xC8\xCF\xB7\xC5\xD0\xD0", // 64 值班员请确认放行
    "\xB2\xD9\xD7\xF7\xBF\xA8", // 65 操作卡
    "\xD6\xB5\xB0\xE0\xD4\xB1\xC7\xEB\xD1\xA1\xD4\xF1\xB3\xB5\xD0\xCD", // 66 值班员请选择车型
    "\xCC\xEC", // 67 天
    "\xC1\xD9\xCA\xB1\xBF\xA8\xC7\xEB\xBD\xBB\xBF\xA8", // 68 临时卡请交卡
    "\xC7\xEB\xCB\xA2\xBF\xA8\xC8\xEB\xB3\xA1", // 69 请刷卡入场
    "\xCE\xB4\xD7\xA2\xB2\xE1\xD3\xC3\xBB\xA7\xBF\xA8", // 70 未注册用户卡
    "\xB5\xB1\xC7\xB0\xCA\xB1\xBC\xE4\xB6\xCE\xCE\xB4\xCA\xDA\xC8\xA8", // 71 当前时间段未授权
    "\xC7\xEB\xC8\xA1\xC6\xB1\xC8\xEB\xB3\xA1", // 72 请取票入场
    "\xB3\xB5\xCE\xBB\xD2\xD1\xC2\xFA", // 73 车位已满
    "\xB7\xC7\xB9\xA4\xD7\xF7\xCA\xB1\xBC\xE4\xB6\xCE", // 74 非工作时间段
    "\xD0\xA1\xD0\xCD\xB3\xB5\xA3\xAC\xC7\xEB\xBD\xBB\xB7\xD1", // 75 小型车，请交费
    "A", // 76 A
    "B", // 77 B
    "C", // 78 C
    "D", // 79 D
    "E", // 80 E
    "F", // 81 F
    "G", // 82 G
    "H", // 83 H
    "J", // 84 J
    "K", // 85 K
    "L", // 86 L
    "M", // 87 M
    "N", // 88 N
    "O", // 89 O
    "P", // 90 P
    "Q", // 91 Q
    "R", // 92 R
    "S", // 93 S
    "T", // 94 T
    "U", // 95 U
    "V", // 96 V
    "W", // 97 W
    "X", // 98 X
    "Y", // 99 Y
    "Z", // 100 Z
    "\xB0\xC4", // 101 澳
    "\xB4\xA8", // 102 川
    "\xB6\xF5", // 103 鄂
    "\xB8\xCA", // 104 甘
    "\xB8\xD3", // 105 赣
    "\xB8\xDB", // 106 港
    "\xB9\xD2", // 107 挂
    "\xB9\xF3", // 108 贵
    "\xBA\xDA", // 109 黑
    "\xBB\xA6", // 110 沪
    "\xBC\xAA", // 111 吉
    "\xBC\xBD", // 112 冀
    "\xBD\xF2", // 113 津
    "\xBD\xFA", // 114 晋
    "\xBE\xA9", // 115 京
    "\xBE\xAF", // 116 警
    "\xC1\xC9", // 117 辽
    "\xC1\xEC", // 118 领
    "\xC2\xB3", // 119 鲁
    "\xC3\xC9", // 120 蒙
    "\xC3\xF6", // 121 闽
    "\xC4\xFE", // 122 宁
    "\xC7\xE0", // 123 青
    "\xC7\xED", // 124 琼
    "\xC9\xC2", // 125 陕
    "\xCA\xB9", // 126 使
    "\xCB\xD5", // 127 苏
    "\xCD\xEE", // 128 皖
    "\xCF\xE6", // 129 湘
    "\xD0\xC2", // 130 新
    "\xD1\xA7", // 131 学
    "\xD3\xE5", // 132 渝
    "\xD4\xA5", // 133 豫
    "\xD4\xC1", // 134 粤
    "\xD4\xC6", // 135 云
    "\xB2\xD8", // 136 藏
    "\xD5\xE3", // 137 浙
    "\xD4\xC2\xD7\xE2\xB3\xB5", // 138 月租车
    "\xC3\xE2\xB7\xD1\xB3\xB5", // 139 免费车
    "\xC1\xD9\xCA\xB1\xB3\xB5", // 140 临时车
    "\xB4\xA2\xD6\xB5\xB3\xB5", // 141 储值车
    "\xBD\xC7", // 142 角
    "\xC7\xEB\xBD\xC9\xB7\xD1", // 143 请缴费
    "\xC7\xEB\xBE\xA1\xBF\xEC\xD1\xD3\xC6\xDA", // 144 请尽快延期
    "\xB4\xCB\xBF\xA8\xBF\xC9\xD3\xC3\xC8\xD5\xC6\xDA", // 145 此卡可用日期
};
// clang-format on

namespace {

constexpr unsigned char kTwoBytePieceBound = 0xA0;

// Latin letters in lower case; every other character, including the full-width letters, stays.
std::u16string FoldLatin(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

// Texts are compared as Unicode, so a byte of a double-byte character is never folded on its
// own (the trail byte of many GBK characters lies in 0x41..0x5A). The folded phrases are made
// once, on first use; the initialisation is thread-safe and the table is read-only afterwards.
const std::array<std::u16string, kPhraseCount>& FoldedPhrases() {
    static const std::array<std::u16string, kPhraseCount> folded = [] {
        std::array<std::u16string, kPhraseCount> table;
        for (int i = 0; i < kPhraseCount; ++i)
            table[i] = FoldLatin(GbkToUtf16(PhraseTable[i]));
        return table;
    }();
    return folded;
}

} // namespace

Bytes LookupPhrase(std::string_view text) {
    // Malformed GBK decodes to '?' characters, and no phrase holds a '?', so such a text
    // matches nothing.
    const std::u16string folded = FoldLatin(GbkToUtf16(text));
    const auto& phrases = FoldedPhrases();
    for (int number = 0; number < kPhraseCount; ++number) {
        if (phrases[number] == folded)
            return std::to_string(number);
    }
    return " ";
}

Bytes ConvertTextToPhrases(std::string_view text) {
    Bytes list;
    std::size_t position = 0;
    while (position < text.size()) {
        // A byte of 0xA0 or above takes the next byte with it; a lone last byte is a piece of
        // its own. Bytes 0x81..0x9F are single pieces although GBK would lead with them.
        const bool twoBytes = static_cast<unsigned char>(text[position]) >= kTwoBytePieceBound &&
                              position + 1 < text.size();
        const std::size_t width = twoBytes ? 2 : 1;
        if (!list.empty())
            list += ',';
        list += LookupPhrase(text.substr(position, width));
        position += width;
    }
    return list;
}

} // namespace tavo
