#include "load/InfluenceLine.h"

#include <cassert>
#include <cmath>

InfluenceLine InfluenceLine::simpleSpanMoment(double span, double a) {
  assert(0.0 < a && a < span);
  double peak = a * (span - a) / span;
  return InfluenceLine(
      {{0.0, a, {0.0, (span - a) / span, 0.0, 0.0}}, {a, span, {peak, -a / span, 0.0, 0.0}}});
}

InfluenceLine InfluenceLine::simpleSpanShear(double span) {
  return InfluenceLine({{0.0, span, {1.0, -1.0 / span, 0.0, 0.0}}});
}

// On the second span, with d the distance from the central support, the mirrored line is
// (span - d) d (2 span - d) / (4 span^2) = d/2 - 3 d^2 / (4 span) + d^3 / (4 span^2).
InfluenceLine InfluenceLine::twoSpanHogging(double span) {
  double cubic = 1.0 / (4.0 * span * span);
  return InfluenceLine({{0.0, span, {0.0, 0.25, 0.0, -cubic}},
                        {span, 2.0 * span, {0.0, 0.5, -3.0 / (4.0 * span), cubic}}});
}

InfluenceLine InfluenceLine::fromPieces(std::vector<InfluencePiece> pieces) {
  assert(!pieces.empty() && pieces.front().start == 0.0);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    assert(pieces[i].end > pieces[i].start && (i == 0 || pieces[i].start == pieces[i - 1].end));
  }
  return InfluenceLine(std::move(pieces));
}

bool InfluenceLine::fromPoints(const std::vector<InfluencePoint>& points, InfluenceLine* line,
                               std::string* error) {
  auto refuse = [error](const std::string& why) {
    *error = why;
    return false;
  };
  if (points.size() < 2) {
    return refuse("it has " + std::to_string(points.size()) + " points; it needs at least 2");
  }
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (!std::isfinite(points[i].x) || !std::isfinite(points[i].ordinate)) {
      return refuse("point " + std::to_string(i + 1) + " is not a finite number");
    }
  }
  if (points.front().x != 0.0) {
    return refuse("the first x is not 0");
  }
  std::vector<InfluencePiece> pieces;
  for (std::size_t i = 1; i < points.size(); ++i) {
    const InfluencePoint& from = points[i - 1];
    const InfluencePoint& to = points[i];
    if (to.x < from.x) {
      return refuse("x falls at point " + std::to_string(i + 1));
    }
    if (to.x == from.x) {
      if (i >= 2 && points[i - 2].x == to.x) {
        return refuse("x is the same at three points, from point " + std::to_string(i - 1));
      }
      continue;  // a jump: the next piece starts from the second ordinate
    }
    double slope = (to.ordinate - from.ordinate) / (to.x - from.x);
    pieces.push_back({from.x, to.x, {from.ordinate, slope, 0.0, 0.0}});
  }
  if (pieces.empty()) {
    return refuse("its length is 0");
  }
  *line = InfluenceLine(std::move(pieces));
  return true;
}

double InfluenceLine::ordinateAt(double x) const {
  for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
    if (x >= piece->start && x <= piece->end) {
      double d = x - piece->start;
      const auto& c = piece->coefficients;
      return c[0] + d * (c[1] + d * (c[2] + d * c[3]));
    }
  }
  return 0.0;
}
