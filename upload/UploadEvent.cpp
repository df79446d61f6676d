// The event's JSON text, its reading back, and the ids of events.
#include "upload/UploadEvent.h"

#include <chrono>
#include <cstdio>
#include <random>

#include "common/GbkText.h"

namespace tavo {

namespace {

void AddField(std::string& json, std::string_view name, std::string_view utf8) {
    json += json.size() == 1 ? "\"" : ",\"";
    json += name;
    json += "\":\"";
    json += JsonEscape(utf8);
    json += '"';
}

// A small reader over the text, for ReadFlatJson.
class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\r' || text_[pos_] == '\n'))
            ++pos_;
    }
    bool Take(char c) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool AtEnd() {
        SkipBlanks();
        return pos_ == text_.size();
    }

    // A string value; the opening quote is next.
    bool String(std::string& out) {
        out.clear();
        if (!Take('"'))
            return false;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size())
                return false;
            const char escaped = text_[pos_++];
            switch (escaped) {
            case '"':
            case '\\':
            case '/':
                out += escaped;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u':
                if (!Unicode(out))
                    return false;
                break;
            default:
                return false;
            }
        }
        return false;
    }

private:
    bool Hex4(std::uint32_t& unit) {
        if (text_.size() - pos_ < 4)
            return false;
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            unit <<= 4;
            if (c >= '0' && c <= '9')
                unit |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                unit |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                unit |= static_cast<std::uint32_t>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    // "\uXXXX" after its "\u", a surrogate pair as one character; a lone surrogate is refused.
    bool Unicode(std::string& out) {
        std::uint32_t code = 0;
        if (!Hex4(code))
            return false;
        if (code >= 0xDC00 && code <= 0xDFFF)
            return false;
        if (code >= 0xD800 && code <= 0xDBFF) {
            std::uint32_t low = 0;
            if (text_.substr(pos_, 2) != "\\u")
                return false;
            pos_ += 2;
            if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF)
                return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, static_cast<char32_t>(code));
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

std::string JsonEscape(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string IsoLocalTime(const LocalTime& time, int utcOffsetMinutes) {
    const int offset = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", time.year,
                  time.month, time.day, time.hour, time.minute, time.second, time.millisecond,
                  utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

std::string EventJson(const UploadEvent& event) {
    std::string json = "{";
    AddField(json, "id", event.Id);
    AddField(json, "station", GbkToUtf8(event.Station));
    AddField(json, "side", event.Side);
    AddField(json, "cameraAddress", GbkToUtf8(event.CameraAddress));
    AddField(json, "plate", GbkToUtf8(event.Plate));
    AddField(json, "time", IsoLocalTime(event.Time, event.UtcOffsetMinutes));
    AddField(json, "state", event.State);
    AddField(json, "fullPicture", GbkToUtf8(event.FullPicture));
    AddField(json, "closeUpPicture", GbkToUtf8(event.CloseUpPicture));
    json += '}';
    return json;
}

bool ReadFlatJson(std::string_view json, std::map<std::string, std::string>& fields) {
    fields.clear();
    JsonReader reader(json);
    if (!reader.Take('{'))
        return false;
    if (!reader.Take('}')) {
        do {
            std::string key;
            std::string value;
            reader.SkipBlanks();
            if (!reader.String(key) || !reader.Take(':'))
                return false;
            reader.SkipBlanks();
            if (!reader.String(value) || !fields.emplace(std::move(key), std::move(value)).second)
                return false;
        } while (reader.Take(','));
        if (!reader.Take('}'))
            return false;
    }
    return reader.AtEnd();
}

EventIds::EventIds(std::uint32_t run) : run_(run) {}

std::string EventIds::Next(std::int64_t utcMilliseconds) {
    using namespace std::chrono;
    const sys_time<milliseconds> moment{milliseconds{utcMilliseconds}};
    const sys_days day = floor<days>(moment);
    const year_month_day date{day};
    const hh_mm_ss clock{moment - day};
    char id[64];
    std::snprintf(
        id, sizeof id, "%04d%02u%02uT%02d%02d%02d%03dZ-%08u-%08x", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
        static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()),
        static_cast<unsigned>(++sequence_), static_cast<unsigned>(run_));
    return id;
}

std::int64_t UtcMillisecondsNow() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::uint32_t RandomRunNumber() {
    std::random_device source;
    return static_cast<std::uint32_t>(source());
}

} // namespace tavo
