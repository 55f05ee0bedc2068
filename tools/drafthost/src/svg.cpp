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

bool finite(std::initializer_list<double> vs) {
    for (double v : vs)
        if (!std::isfinite(v)) return false;
    return true;
}

// Plain decimal, at most six decimals, no trailing zeros, no "-0".
std::string num(double v) {
    // Room for the largest double: a minus, 309 digits, a point and six.
    char buf[320];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    std::string s = buf;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

// The angle swept counter-clockwise from start to end, in [0, 360).
double ccw_sweep(double start, double end) {
    double sweep = std::fmod(end - start, 360.0);
    if (sweep < 0) sweep += 360.0;
    return sweep;
}

// How far one Shift-JIS character moves the pen: a two-byte character twice
// as far as a single-byte one.
double char_advance(std::string_view c, double pitch) { return c.size() == 2 ? 2 * pitch : pitch; }

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
    for (const RawLine& r : split_lines(bytes)) {
        const std::string_view l = r.text;
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
                c.full = ccw_sweep(v[3], v[4]) == 0.0;
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

// The length the fill gives a text: (width + spacing) / 2 a single-byte
// character, twice that a two-byte one.
static double text_advance(std::string_view sjis, double width, double spacing) {
    const double pitch = (width + spacing) * 0.5;
    double advance = 0;
    for (std::string_view c : sjis_chars(sjis)) advance += char_advance(c, pitch);
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

namespace {

// The extent a text takes: from its start along the record's direction to its
// end, or as far as the text's advance reaches when that is further, and one
// height to the left of that baseline.
void add_text(Extent& e, const PlacedText& t) {
    if (!finite({t.start.x, t.start.y, t.dx, t.dy, t.height})) return;
    double len = std::hypot(t.dx, t.dy);
    double nx = len > 0 ? -t.dy / len * t.height : 0, ny = len > 0 ? t.dx / len * t.height : 0;
    double reach = 1.0;
    if (len > 0 && t.width > 0 && t.spacing >= 0)
        reach = std::max(reach, text_advance(t.sjis, t.width, t.spacing) / len);
    for (double f : {0.0, reach}) {
        e.add(t.start.x + f * t.dx, t.start.y + f * t.dy);
        e.add(t.start.x + f * t.dx + nx, t.start.y + f * t.dy + ny);
    }
}

Extent extent_of(const Drawing& d, const std::vector<PlacedText>& texts) {
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
    for (const auto& t : texts) add_text(e, t);
    return e;
}

// The picture's frame, in its own coordinates (y down), and the sizes of its
// strokes and marks, in proportion to it.
struct View {
    double x = 0, y = 0, w = 0, h = 0;
    double stroke = 0, mark = 0, label = 0;
    double px = 0;  // pixels a unit
};

// The extent with a 5% margin; an empty one shows -10..10, a single point
// 5 either side of it.
View view_of(Extent e) {
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
    View v;
    v.x = e.x0 - margin;
    v.y = -e.y1 - margin;
    v.w = e.x1 - e.x0 + 2 * margin;
    v.h = e.y1 - e.y0 + 2 * margin;
    const double side = std::max(v.w, v.h);
    v.stroke = side / 600;
    v.mark = side / 100;
    v.label = side / 40;
    v.px = 800.0 / side;
    return v;
}

void add_head(std::string& o, const View& v) {
    o += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    o += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(std::round(v.w * v.px)) + "\" height=\"" +
         num(std::round(v.h * v.px)) + "\" viewBox=\"" + num(v.x) + " " + num(v.y) + " " + num(v.w) + " " + num(v.h) +
         "\">\n";
    o += "<rect x=\"" + num(v.x) + "\" y=\"" + num(v.y) + "\" width=\"" + num(v.w) + "\" height=\"" + num(v.h) +
         "\" fill=\"white\"/>\n";
}

void add_circle(std::string& o, const Drawing::Circle& c) {
    if (c.full) {
        o += "<circle cx=\"" + num(c.c.x) + "\" cy=\"" + num(c.c.y) + "\" r=\"" + num(c.r) + "\"/>\n";
        return;
    }
    double a0 = c.start * kPi / 180, a1 = c.end * kPi / 180;
    // Counter-clockwise with y up: the positive angle direction of the
    // flipped group, so sweep-flag 1.
    o += "<path d=\"M " + num(c.c.x + c.r * std::cos(a0)) + " " + num(c.c.y + c.r * std::sin(a0)) + " A " + num(c.r) +
         " " + num(c.r) + " 0 " + (ccw_sweep(c.start, c.end) > 180 ? "1" : "0") + " 1 " +
         num(c.c.x + c.r * std::cos(a1)) + " " + num(c.c.y + c.r * std::sin(a1)) + "\"/>\n";
}

void add_drawing(std::string& o, const Drawing& d, const View& v) {
    o += "<g id=\"drawing\" transform=\"scale(1,-1)\" fill=\"none\" stroke=\"#b8b8b8\" stroke-width=\"" +
         num(v.stroke) + "\">\n";
    for (const auto& s : d.lines)
        o += "<line x1=\"" + num(s.a.x) + "\" y1=\"" + num(s.a.y) + "\" x2=\"" + num(s.b.x) + "\" y2=\"" + num(s.b.y) +
             "\"/>\n";
    for (const auto& c : d.circles) add_circle(o, c);
    auto dot = [&](const Point& p) {
        o += "<circle cx=\"" + num(p.x) + "\" cy=\"" + num(p.y) + "\" r=\"" + num(2 * v.stroke) +
             "\" fill=\"#b8b8b8\" stroke=\"none\"/>\n";
    };
    for (const auto& p : d.points) dot(p);
    for (const auto& [slot, p] : d.indicated) dot(p);
    o += "</g>\n";
}

// Points 1 and 2: a circle each in the drawing's coordinates, and a label
// each outside the flipped group.
void add_indicated(std::string& o, const Drawing& d, const View& v) {
    std::string marks, labels;
    for (int slot : {1, 2}) {
        auto it = d.indicated.find(slot);
        if (it == d.indicated.end()) continue;
        const Point& p = it->second;
        marks += "<circle data-slot=\"" + std::to_string(slot) + "\" cx=\"" + num(p.x) + "\" cy=\"" + num(p.y) +
                 "\" r=\"" + num(v.mark) + "\"/>\n";
        labels += "<text x=\"" + num(p.x + v.mark) + "\" y=\"" + num(-(p.y + v.mark)) + "\">" + std::to_string(slot) +
                  "</text>\n";
    }
    o += "<g id=\"indicated\" transform=\"scale(1,-1)\" fill=\"none\" stroke=\"#d03030\" stroke-width=\"" +
         num(v.stroke) + "\">\n" + marks + "</g>\n";
    o += "<g id=\"labels\" fill=\"#d03030\" font-family=\"sans-serif\" font-size=\"" + num(v.label) + "\">\n" + labels +
         "</g>\n";
}

// One returned text: each character at its own place when the "cn0" record
// gave a width and spacing, else one run of text.
void add_text_element(std::string& o, const PlacedText& t) {
    const std::string x = num(t.start.x), y = num(-t.start.y);
    const double angle = -std::atan2(t.dy, t.dx) * 180 / kPi;
    o += "<text data-line=\"" + std::to_string(t.line) + "\" x=\"" + x + "\" y=\"" + y + "\" font-size=\"" +
         num(t.height) + "\" transform=\"rotate(" + num(angle) + " " + x + " " + y + ")\" xml:space=\"preserve\">";
    if (t.width > 0 && t.spacing >= 0 && std::isfinite(t.width + t.spacing)) {
        const double pitch = (t.width + t.spacing) * 0.5;
        double at = t.start.x;
        for (std::string_view c : sjis_chars(t.sjis)) {
            o += "<tspan x=\"" + num(at) + "\">" + xml_escape(sjis_to_utf8(c)) + "</tspan>";
            at += char_advance(c, pitch);
        }
    } else {
        o += xml_escape(sjis_to_utf8(t.sjis));
    }
    o += "</text>\n";
}

void add_fills(std::string& o, const std::vector<PlacedText>& texts) {
    o += "<g id=\"fills\" fill=\"#1040c0\" font-family=\"sans-serif\">\n";
    for (const auto& t : texts)
        if (finite({t.start.x, t.start.y, t.dx, t.dy, t.height}) && t.height > 0) add_text_element(o, t);
    o += "</g>\n";
}

}  // namespace

std::string make_svg(const Drawing& d, const std::vector<PlacedText>& texts) {
    const View v = view_of(extent_of(d, texts));
    std::string o;
    add_head(o, v);
    add_drawing(o, d, v);
    add_indicated(o, d, v);
    add_fills(o, texts);
    o += "</svg>\n";
    return o;
}

}  // namespace drafthost
