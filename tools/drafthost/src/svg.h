// A picture of the drawing as a host shows it: the drawing's own elements in
// a faint colour, indicated points 1 and 2 marked, and every text record of
// the returned file set at its place.
//
// The SVG, element by element (numbers as plain decimals, at most six
// decimals, trailing zeros dropped):
//   <svg ... viewBox="MINX MINY W H">   the drawing's extent with a margin,
//                                        in the picture's coordinates (y down)
//   <g id="drawing" transform="scale(1,-1)">   line, circle, arc (path) and
//        point elements in the drawing's own coordinates (y up)
//   <g id="indicated" transform="scale(1,-1)">  <circle data-slot="1|2" .../>
//   <g id="labels">     <text x y>1</text>, <text x y>2</text>
//   <g id="fills">      one element per returned text record:
//        <text data-line="N" x="X" y="-Y" font-size="H"
//              transform="rotate(A X -Y)" xml:space="preserve">text</text>
//     X, Y: the record's start point; H: the height (second number) of the
//     "cn0" record before it; A = -atan2(dy, dx) in degrees, negative because
//     the picture's y axis points down. Texts sit outside the flipped groups
//     so that they read upright; the anchor is the start of the baseline.
//     When that "cn0" record also gave a width W and spacing D, every
//     character is a <tspan x="..."> of its own, set at X plus the advance of
//     the characters before it, (W + D) / 2 for a single-byte and W + D for a
//     two-byte character (along the rotated baseline), so that the text takes
//     the length the fill gave it rather than the font's own.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "records.h"

namespace drafthost {

struct Point {
    double x = 0, y = 0;
};

struct Drawing {
    struct Segment {
        Point a, b;
    };
    struct Circle {
        Point c;
        double r = 0;
        bool full = true;
        double start = 0, end = 360;  // degrees, counter-clockwise
    };
    std::vector<Segment> lines;      // " x1 y1 x2 y2"
    std::vector<Circle> circles;     // "ci cx cy r [start end ...]"
    std::vector<Point> points;       // "pt x y"
    std::map<int, Point> indicated;  // "hpN x y", "hpN+x y" ...: the last per slot
};

// Reads the elements that the picture shows from the host's exchange file.
Drawing parse_drawing(std::string_view bytes);

struct PlacedText {
    std::size_t line = 0;  // line number in the returned file
    Point start;
    double dx = 0, dy = 0;
    double height = 0;
    double width = -1, spacing = -1;  // from the same "cn0" record; -1 when it had none
    std::string sjis;                 // the record's text, as bytes
};

// The length the fill gives a text: (width + spacing) / 2 for each single-byte
// character, width + spacing for each two-byte character (lead byte 0x81 to
// 0x9F or 0xE0 to 0xFC).
double text_advance(std::string_view sjis, double width, double spacing);

// The returned text records, each with the height of the "cn0" record last
// seen before it (5 when there was none), and its width and spacing.
std::vector<PlacedText> placed_texts(const RecordCheck& check);

std::string make_svg(const Drawing& drawing, const std::vector<PlacedText>& texts);

}  // namespace drafthost
