#include "svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <utility>

#include "sjis.h"

namespace drafthost {

namespace {

const double kPi = 3.14159265358979323846;

// The numbers from position `from` on, up to the first field that is none;
// commas separate them too where `commas`.
std::vector<double> numbers(std::string_view line, std::size_t from, bool commas = false) {
    std::string s(line.substr(std::min(from, line.size())));
    if (commas) std::replace(s.begin(), s.end(), ',', ' ');
    std::vector<double> out;
    char* end = nullptr;
    for (const char* p = s.c_str();; p = end) {
        const double v = std::strtod(p, &end);
        if (end == p) return out;
        out.push_back(v);
    }
}

bool finite(std::initializer_list<double> vs) {
    return std::all_of(vs.begin(), vs.end(), [](double v) { return std::isfinite(v); });
}

// Plain decimal, at most six decimals, no trailing zeros, no "-0".
std::string num(double v) {
    char buf[320];  // a minus, 309 digits, the point and six
    std::snprintf(buf, sizeof buf, "%.6f", v);
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

// `<head a="1" b="2"` and then `tail`.
std::string element(const std::string& head, std::initializer_list<std::pair<const char*, double>> attributes,
                    const std::string& tail = "/>\n") {
    std::string o = "<" + head;
    for (const auto& [name, value] : attributes) o += std::string(" ") + name + "=\"" + num(value) + "\"";
    return o + tail;
}

// &, <, >, " and ' as entities; controls, which XML cannot hold, but tab as U+FFFD.
std::string xml_text(std::string_view sjis) {
    static const char* const kEntities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
    std::string out;
    for (char ch : sjis_to_utf8(sjis)) {
        const std::size_t k = std::string_view("&<>\"'").find(ch);
        if (k != std::string_view::npos) out += kEntities[k];
        else if (static_cast<unsigned char>(ch) < 0x20 && ch != '\t') out += "\xEF\xBF\xBD";
        else out += ch;
    }
    return out;
}

// The angle swept counter-clockwise from start to end, in [0, 360).
double ccw_sweep(double start, double end) {
    const double sweep = std::fmod(end - start, 360.0);
    return sweep < 0 ? sweep + 360.0 : sweep;
}

std::string circle(const Drawing::Circle& c) {
    if (c.full) return element("circle", {{"cx", c.c.x}, {"cy", c.c.y}, {"r", c.r}});
    const double a0 = c.start * kPi / 180, a1 = c.end * kPi / 180;
    // Counter-clockwise with y up is the positive direction of the flipped
    // group: sweep-flag 1.
    return "<path d=\"M " + num(c.c.x + c.r * std::cos(a0)) + " " + num(c.c.y + c.r * std::sin(a0)) + " A " + num(c.r) +
           " " + num(c.r) + " 0 " + (ccw_sweep(c.start, c.end) > 180 ? "1" : "0") + " 1 " +
           num(c.c.x + c.r * std::cos(a1)) + " " + num(c.c.y + c.r * std::sin(a1)) + "\"/>\n";
}

// A returned text: each character at its own place, (W + D) / 2 a byte
// along, when the "cn0" record gave a width and spacing; else one run.
std::string text(const PlacedText& t) {
    const std::string x = num(t.start.x), y = num(-t.start.y);
    std::string o = element("text data-line=\"" + std::to_string(t.line) + "\"",
                            {{"x", t.start.x}, {"y", -t.start.y}, {"font-size", t.height}},
                            " transform=\"rotate(" + num(-std::atan2(t.dy, t.dx) * 180 / kPi) + " " + x + " " + y +
                                ")\" xml:space=\"preserve\">");
    const double pitch = (t.width + t.spacing) * 0.5;
    if (!(t.width > 0 && t.spacing >= 0 && std::isfinite(pitch))) return o + xml_text(t.sjis) + "</text>\n";
    double at = t.start.x;
    for (std::size_t i = 0, n = 0; i < t.sjis.size(); i += n, at += static_cast<double>(n) * pitch) {
        n = sjis_lead(t.sjis[i]) && i + 1 < t.sjis.size() ? 2 : 1;
        o += element("tspan", {{"x", at}}, ">" + xml_text(t.sjis.substr(i, n)) + "</tspan>");
    }
    return o + "</text>\n";
}

bool drawn(const PlacedText& t) { return finite({t.start.x, t.start.y, t.dx, t.dy, t.height}) && t.height > 0; }

}  // namespace

Drawing parse_drawing(std::string_view bytes) {
    Drawing d;
    for (const RawLine& r : split_lines(bytes)) {
        const std::string_view l = r.text, head = l.substr(0, 2);
        const bool segment = !l.empty() && l[0] == ' ';
        const std::vector<double> v = numbers(l, head == "hp" ? 4 : segment ? 1 : 2);
        if (segment && v.size() >= 4 && finite({v[0], v[1], v[2], v[3]})) {
            d.lines.push_back({{v[0], v[1]}, {v[2], v[3]}});
        } else if (head == "ci" && v.size() >= 3 && finite({v[0], v[1], v[2]})) {
            Drawing::Circle c{{v[0], v[1]}, std::fabs(v[2])};
            if (v.size() >= 5 && finite({v[3], v[4]})) c = {c.c, c.r, ccw_sweep(v[3], v[4]) == 0.0, v[3], v[4]};
            d.circles.push_back(c);
        } else if (head == "pt" && v.size() >= 2 && finite({v[0], v[1]})) {
            d.points.push_back({v[0], v[1]});
        } else if (head == "hp" && l.size() >= 4 && l[2] >= '0' && l[2] <= '9' &&
                   std::string_view(" +/-").find(l[3]) != std::string_view::npos && v.size() >= 2 &&
                   finite({v[0], v[1]})) {
            d.indicated[l[2] - '0'] = {v[0], v[1]};
        }
    }
    return d;
}

std::vector<PlacedText> placed_texts(const RecordCheck& check) {
    std::vector<PlacedText> out;
    PlacedText size;  // the last "cn0" record's height, width and spacing
    size.height = 5.0;
    for (const Line& line : check.lines) {
        const std::string_view t = line.text;
        const std::size_t quote = t.find('"');
        if (t.substr(0, 3) == "cn0") {
            const std::vector<double> v = numbers(t, 3, true);
            if (v.size() >= 2) size.width = v[0], size.height = v[1], size.spacing = v.size() >= 3 ? v[2] : -1;
        } else if (const std::vector<double> v = numbers(t, 2);
                   line.kind == Kind::FillText && v.size() >= 4 && quote != std::string_view::npos) {
            out.push_back(size);
            out.back().line = line.number;
            out.back().start = {v[0], v[1]};
            out.back().dx = v[2], out.back().dy = v[3];
            out.back().sjis = std::string(t.substr(quote + 1));
        }
    }
    return out;
}

std::string make_svg(const Drawing& d, const std::vector<PlacedText>& texts) {
    // The extent of all that is shown, a text from its start along its
    // direction, or as far as its characters reach when that is further, and
    // one height to the left of that.
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    auto add = [&](double x, double y) {
        if (!finite({x, y})) return;
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    };
    for (const auto& s : d.lines) add(s.a.x, s.a.y), add(s.b.x, s.b.y);
    for (const auto& c : d.circles) add(c.c.x - c.r, c.c.y - c.r), add(c.c.x + c.r, c.c.y + c.r);
    for (const auto& p : d.points) add(p.x, p.y);
    for (const auto& [slot, p] : d.indicated) add(p.x, p.y);
    for (const auto& t : texts) {
        if (!finite({t.start.x, t.start.y, t.dx, t.dy, t.height})) continue;
        const double len = std::hypot(t.dx, t.dy), nx = len > 0 ? -t.dy / len * t.height : 0,
                     ny = len > 0 ? t.dx / len * t.height : 0;
        // Every byte of a text takes (W + D) / 2: a two-byte character twice
        // as much as a single-byte one.
        const double reach = len > 0 && t.width > 0 && t.spacing >= 0
                                 ? std::max(1.0, static_cast<double>(t.sjis.size()) * (t.width + t.spacing) * 0.5 / len)
                                 : 1.0;
        for (double f : {0.0, reach})
            add(t.start.x + f * t.dx, t.start.y + f * t.dy), add(t.start.x + f * t.dx + nx, t.start.y + f * t.dy + ny);
    }
    // A 5% margin; nothing shows -10..10, a single point 5 either side of it.
    if (x0 > x1) x0 = y0 = -10, x1 = y1 = 10;
    if (x1 - x0 <= 0 && y1 - y0 <= 0) x0 -= 5, y0 -= 5, x1 += 5, y1 += 5;
    const double margin = std::max(x1 - x0, y1 - y0) * 0.05;
    const double vx = x0 - margin, vy = -y1 - margin, vw = x1 - x0 + 2 * margin, vh = y1 - y0 + 2 * margin;
    const double side = std::max(vw, vh), stroke = side / 600, mark = side / 100;

    std::string o = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    o += element("svg xmlns=\"http://www.w3.org/2000/svg\"",
                 {{"width", std::round(vw * (800 / side))}, {"height", std::round(vh * (800 / side))}},
                 " viewBox=\"" + num(vx) + " " + num(vy) + " " + num(vw) + " " + num(vh) + "\">\n");
    o += element("rect", {{"x", vx}, {"y", vy}, {"width", vw}, {"height", vh}}, " fill=\"white\"/>\n");
    o += element("g id=\"drawing\" transform=\"scale(1,-1)\" fill=\"none\" stroke=\"#b8b8b8\"",
                 {{"stroke-width", stroke}}, ">\n");
    for (const auto& s : d.lines) o += element("line", {{"x1", s.a.x}, {"y1", s.a.y}, {"x2", s.b.x}, {"y2", s.b.y}});
    for (const auto& c : d.circles) o += circle(c);
    std::vector<Point> dots = d.points;
    for (const auto& [slot, p] : d.indicated) dots.push_back(p);
    for (const Point& p : dots)
        o += element("circle", {{"cx", p.x}, {"cy", p.y}, {"r", 2 * stroke}}, " fill=\"#b8b8b8\" stroke=\"none\"/>\n");
    // Points 1 and 2: a circle each in the drawing's coordinates, and a label
    // each outside the flipped group.
    std::string marks, labels;
    for (int slot : {1, 2}) {
        const auto it = d.indicated.find(slot);
        if (it == d.indicated.end()) continue;
        const Point& p = it->second;
        marks += element("circle data-slot=\"" + std::to_string(slot) + "\"", {{"cx", p.x}, {"cy", p.y}, {"r", mark}});
        labels += element("text", {{"x", p.x + mark}, {"y", -(p.y + mark)}}, ">" + std::to_string(slot) + "</text>\n");
    }
    o += "</g>\n" +
         element("g id=\"indicated\" transform=\"scale(1,-1)\" fill=\"none\" stroke=\"#d03030\"",
                 {{"stroke-width", stroke}}, ">\n") +
         marks + "</g>\n";
    o += element("g id=\"labels\" fill=\"#d03030\" font-family=\"sans-serif\"", {{"font-size", side / 40}}, ">\n") +
         labels + "</g>\n";
    o += "<g id=\"fills\" fill=\"#1040c0\" font-family=\"sans-serif\">\n";
    for (const auto& t : texts)
        if (drawn(t)) o += text(t);
    return o + "</g>\n</svg>\n";
}

}  // namespace drafthost
