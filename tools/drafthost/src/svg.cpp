#include "svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sjis.h"

namespace drafthost {

namespace {

const double kPi = 3.14159265358979323846;

// Numbers from position `from` on, separated by blanks (and commas when
// `commas`), up to the first field that is not a number.
std::vector<double> numbers(std::string_view line, std::size_t from, bool commas = false) {
    std::vector<double> out;
    std::string s(line.substr(std::min(from, line.size())));
    const char* p = s.c_str();
    for (;;) {
        while (*p == ' ' || *p == '\t' || *p == '\r' || (commas && *p == ',')) ++p;
        char* end = nullptr;
        double v = std::strtod(p, &end);
        if (end == p) break;
        out.push_back(v);
        p = end;
    }
    return out;
}

bool starts(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::vector<std::string_view> lines_of(std::string_view bytes) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t lf = bytes.find('\n', pos);
        std::size_t stop = lf == std::string_view::npos ? bytes.size() : lf;
        std::string_view l = bytes.substr(pos, stop - pos);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        out.push_back(l);
        pos = stop + 1;
    }
    return out;
}

bool finite(std::initializer_list<double> vs) {
    for (double v : vs)
        if (!std::isfinite(v)) return false;
    return true;
}

// Plain decimal, at most six decimals, no trailing zeros, no "-0".
std::string num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    std::string s = buf;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

struct Extent {
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    void add(double x, double y) {
        if (!finite({x, y})) return;
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    }
    bool empty() const { return x0 > x1; }
};

}  // namespace

Drawing parse_drawing(std::string_view bytes) {
    Drawing d;
    for (std::string_view l : lines_of(bytes)) {
        if (starts(l, " ")) {
            auto v = numbers(l, 1);
            if (v.size() >= 4 && finite({v[0], v[1], v[2], v[3]})) d.lines.push_back({{v[0], v[1]}, {v[2], v[3]}});
        } else if (starts(l, "ci")) {
            auto v = numbers(l, 2);
            if (v.size() < 3 || !finite({v[0], v[1], v[2]})) continue;
            Drawing::Circle c;
            c.c = {v[0], v[1]};
            c.r = std::fabs(v[2]);
            if (v.size() >= 5 && finite({v[3], v[4]})) {
                double sweep = std::fmod(v[4] - v[3], 360.0);
                if (sweep < 0) sweep += 360.0;
                c.full = sweep == 0.0;
                c.start = v[3];
                c.end = v[4];
            }
            d.circles.push_back(c);
        } else if (starts(l, "pt")) {
            auto v = numbers(l, 2);
            if (v.size() >= 2 && finite({v[0], v[1]})) d.points.push_back({v[0], v[1]});
        } else if (starts(l, "hp") && l.size() >= 4 && l[2] >= '0' && l[2] <= '9') {
            char form = l[3];
            std::size_t from;
            if (form == ' ') from = 3;
            else if (form == '+' || form == '/' || form == '-') from = 4;
            else continue;
            auto v = numbers(l, from);
            if (v.size() >= 2 && finite({v[0], v[1]})) d.indicated[l[2] - '0'] = {v[0], v[1]};
        }
    }
    return d;
}

double text_advance(std::string_view sjis, double width, double spacing) {
    const double pitch = (width + spacing) * 0.5;
    double advance = 0;
    for (std::string_view c : sjis_chars(sjis)) advance += c.size() == 2 ? 2 * pitch : pitch;
    return advance;
}

std::vector<PlacedText> placed_texts(const RecordCheck& check) {
    std::vector<PlacedText> out;
    double height = 5.0, width = -1, spacing = -1;
    for (const Line& line : check.lines) {
        std::string_view t = line.text;
        if (starts(t, "cn0")) {
            auto v = numbers(t, 3, true);
            if (v.size() >= 2) {
                height = v[1];
                width = v[0];
                spacing = v.size() >= 3 ? v[2] : -1;
            }
        } else if (line.kind == Kind::FillText) {
            auto v = numbers(t, 2);
            std::size_t quote = t.find('"');
            if (v.size() < 4 || quote == std::string_view::npos) continue;
            PlacedText p;
            p.line = line.number;
            p.start = {v[0], v[1]};
            p.dx = v[2];
            p.dy = v[3];
            p.height = height;
            p.width = width;
            p.spacing = spacing;
            p.sjis = std::string(t.substr(quote + 1));
            out.push_back(std::move(p));
        }
    }
    return out;
}

std::string make_svg(const Drawing& d, const std::vector<PlacedText>& texts) {
    Extent e;
    for (const auto& s : d.lines) {
        e.add(s.a.x, s.a.y);
        e.add(s.b.x, s.b.y);
    }
    for (const auto& c : d.circles) {
        e.add(c.c.x - c.r, c.c.y - c.r);
        e.add(c.c.x + c.r, c.c.y + c.r);
    }
    for (const auto& p : d.points) e.add(p.x, p.y);
    for (const auto& [slot, p] : d.indicated) e.add(p.x, p.y);
    for (const auto& t : texts) {
        if (!finite({t.start.x, t.start.y, t.dx, t.dy, t.height})) continue;
        double len = std::hypot(t.dx, t.dy);
        double nx = len > 0 ? -t.dy / len * t.height : 0, ny = len > 0 ? t.dx / len * t.height : 0;
        // Along the record's direction to its end, or as far as the text's
        // advance reaches when that is further.
        double reach = 1.0;
        if (len > 0 && t.width > 0 && t.spacing >= 0)
            reach = std::max(reach, text_advance(t.sjis, t.width, t.spacing) / len);
        for (double f : {0.0, reach}) {
            e.add(t.start.x + f * t.dx, t.start.y + f * t.dy);
            e.add(t.start.x + f * t.dx + nx, t.start.y + f * t.dy + ny);
        }
    }
    if (e.empty()) {
        e.add(-10, -10);
        e.add(10, 10);
    }
    double span = std::max(e.x1 - e.x0, e.y1 - e.y0);
    if (span <= 0) {
        span = 10;
        e.add(e.x0 - 5, e.y0 - 5);
        e.add(e.x1 + 5, e.y1 + 5);
    }
    const double margin = span * 0.05;
    const double vx = e.x0 - margin, vy = -e.y1 - margin;
    const double vw = e.x1 - e.x0 + 2 * margin, vh = e.y1 - e.y0 + 2 * margin;
    const double stroke = std::max(vw, vh) / 600;
    const double mark = std::max(vw, vh) / 100;
    const double label = std::max(vw, vh) / 40;
    const double px = 800.0 / std::max(vw, vh);

    std::string o;
    o += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    o += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(std::round(vw * px)) + "\" height=\"" +
         num(std::round(vh * px)) + "\" viewBox=\"" + num(vx) + " " + num(vy) + " " + num(vw) + " " + num(vh) + "\">\n";
    o += "<rect x=\"" + num(vx) + "\" y=\"" + num(vy) + "\" width=\"" + num(vw) + "\" height=\"" + num(vh) +
         "\" fill=\"white\"/>\n";

    o += "<g id=\"drawing\" transform=\"scale(1,-1)\" fill=\"none\" stroke=\"#b8b8b8\" stroke-width=\"" + num(stroke) +
         "\">\n";
    for (const auto& s : d.lines)
        o += "<line x1=\"" + num(s.a.x) + "\" y1=\"" + num(s.a.y) + "\" x2=\"" + num(s.b.x) + "\" y2=\"" + num(s.b.y) +
             "\"/>\n";
    for (const auto& c : d.circles) {
        if (c.full) {
            o += "<circle cx=\"" + num(c.c.x) + "\" cy=\"" + num(c.c.y) + "\" r=\"" + num(c.r) + "\"/>\n";
            continue;
        }
        double sweep = std::fmod(c.end - c.start, 360.0);
        if (sweep < 0) sweep += 360.0;
        double a0 = c.start * kPi / 180, a1 = c.end * kPi / 180;
        // Counter-clockwise with y up: the positive angle direction of the
        // flipped group, so sweep-flag 1.
        o += "<path d=\"M " + num(c.c.x + c.r * std::cos(a0)) + " " + num(c.c.y + c.r * std::sin(a0)) + " A " +
             num(c.r) + " " + num(c.r) + " 0 " + (sweep > 180 ? "1" : "0") + " 1 " + num(c.c.x + c.r * std::cos(a1)) +
             " " + num(c.c.y + c.r * std::sin(a1)) + "\"/>\n";
    }
    auto dot = [&](const Point& p) {
        o += "<circle cx=\"" + num(p.x) + "\" cy=\"" + num(p.y) + "\" r=\"" + num(2 * stroke) +
             "\" fill=\"#b8b8b8\" stroke=\"none\"/>\n";
    };
    for (const auto& p : d.points) dot(p);
    for (const auto& [slot, p] : d.indicated) dot(p);
    o += "</g>\n";

    o += "<g id=\"indicated\" transform=\"scale(1,-1)\" fill=\"none\" stroke=\"#d03030\" stroke-width=\"" +
         num(stroke) + "\">\n";
    for (int slot : {1, 2}) {
        auto it = d.indicated.find(slot);
        if (it == d.indicated.end()) continue;
        o += "<circle data-slot=\"" + std::to_string(slot) + "\" cx=\"" + num(it->second.x) + "\" cy=\"" +
             num(it->second.y) + "\" r=\"" + num(mark) + "\"/>\n";
    }
    o += "</g>\n";
    o += "<g id=\"labels\" fill=\"#d03030\" font-family=\"sans-serif\" font-size=\"" + num(label) + "\">\n";
    for (int slot : {1, 2}) {
        auto it = d.indicated.find(slot);
        if (it == d.indicated.end()) continue;
        o += "<text x=\"" + num(it->second.x + mark) + "\" y=\"" + num(-(it->second.y + mark)) + "\">" +
             std::to_string(slot) + "</text>\n";
    }
    o += "</g>\n";

    o += "<g id=\"fills\" fill=\"#1040c0\" font-family=\"sans-serif\">\n";
    for (const auto& t : texts) {
        if (!finite({t.start.x, t.start.y, t.dx, t.dy, t.height}) || t.height <= 0) continue;
        const std::string x = num(t.start.x), y = num(-t.start.y);
        const double angle = -std::atan2(t.dy, t.dx) * 180 / kPi;
        o += "<text data-line=\"" + std::to_string(t.line) + "\" x=\"" + x + "\" y=\"" + y + "\" font-size=\"" +
             num(t.height) + "\" transform=\"rotate(" + num(angle) + " " + x + " " + y + ")\" xml:space=\"preserve\">";
        if (t.width > 0 && t.spacing >= 0 && std::isfinite(t.width + t.spacing)) {
            const double pitch = (t.width + t.spacing) * 0.5;
            double at = t.start.x;
            for (std::string_view c : sjis_chars(t.sjis)) {
                o += "<tspan x=\"" + num(at) + "\">" + xml_escape(sjis_to_utf8(c)) + "</tspan>";
                at += c.size() == 2 ? 2 * pitch : pitch;
            }
        } else {
            o += xml_escape(sjis_to_utf8(t.sjis));
        }
        o += "</text>\n";
    }
    o += "</g>\n</svg>\n";
    return o;
}

}  // namespace drafthost
