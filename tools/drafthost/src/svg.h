// A picture of the drawing as a host shows it: the drawing's own elements in
// a faint colour, indicated points 1 and 2 marked, and every text record of
// the returned file set at its place, as README.md ("The picture") describes.
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

// The returned text records, each with the height of the "cn0" record last
// seen before it (5 when there was none), and its width and spacing.
std::vector<PlacedText> placed_texts(const RecordCheck& check);

std::string make_svg(const Drawing& drawing, const std::vector<PlacedText>& texts);

}  // namespace drafthost
