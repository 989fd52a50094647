#include "load/ContinuousBeam.h"

#include <array>
#include <cassert>

namespace continuous_beam {
namespace {

// A cubic in d, the distance of the load from the start of a piece: c[0] + c[1] d + ...
using Cubic = std::array<double, 4>;

Cubic plus(const Cubic& a, const Cubic& b, double bScale = 1.0) {
  return {a[0] + bScale * b[0], a[1] + bScale * b[1], a[2] + bScale * b[2], a[3] + bScale * b[3]};
}

Cubic scaled(const Cubic& a, double factor) {
  return {factor * a[0], factor * a[1], factor * a[2], factor * a[3]};
}

// u + d: the load's distance from its span's left support, on a piece starting u into it.
Cubic linear(double u) {
  return {u, 1.0, 0.0, 0.0};
}

// t (L^2 - t^2) / L for t = u + s d (s = 1: t rises with d; s = -1: it falls), the
// three-moment equation's term of a unit load at t from the far support of a span of L.
Cubic loadTerm(double u, double s, double span) {
  // t^3 = u^3 + 3 u^2 s d + 3 u s^2 d^2 + s^3 d^3
  Cubic t = {u, s, 0.0, 0.0};
  Cubic cube = {u * u * u, 3.0 * u * u * s, 3.0 * u * s * s, s * s * s};
  return scaled(plus(scaled(t, span * span), cube, -1.0), 1.0 / span);
}

// Solves the tridiagonal system of the interior supports' moments for each of the four
// coefficients of its right-hand sides (the Thomas algorithm; the system is diagonally
// dominant). spans.size() - 1 unknowns.
std::vector<Cubic> supportMoments(const std::vector<double>& spans, const std::vector<Cubic>& rhs) {
  std::size_t n = rhs.size();
  std::vector<double> diagonal(n);
  std::vector<double> upper(n);
  std::vector<Cubic> right = rhs;
  for (std::size_t i = 0; i < n; ++i) {
    double lower = spans[i];  // the coefficient of M_{i-1} in row i (M of support i + 1)
    diagonal[i] = 2.0 * (spans[i] + spans[i + 1]);
    upper[i] = spans[i + 1];
    if (i > 0) {
      double factor = lower / diagonal[i - 1];
      diagonal[i] -= factor * upper[i - 1];
      right[i] = plus(right[i], right[i - 1], -factor);
    }
  }
  std::vector<Cubic> moments(n);
  for (std::size_t i = n; i-- > 0;) {
    Cubic known = right[i];
    if (i + 1 < n) {
      known = plus(known, moments[i + 1], -upper[i]);
    }
    moments[i] = scaled(known, 1.0 / diagonal[i]);
  }
  return moments;
}

// For a load on a piece of span `span` starting `offset` m into it, the moments over every
// support (the ends' 0 included) as cubics in d.
std::vector<Cubic> momentsForPiece(const std::vector<double>& spans, std::size_t span,
                                   double offset) {
  std::size_t interior = spans.size() - 1;
  std::vector<Cubic> rhs(interior, Cubic{});
  double length = spans[span];
  // Row r is the equation of support r + 1, between spans r and r + 1.
  if (span >= 1) {  // the load's span lies right of support `span`: row span - 1
    rhs[span - 1] = scaled(loadTerm(length - offset, -1.0, length), -1.0);
  }
  if (span < interior) {  // it lies left of support span + 1: row span
    rhs[span] = scaled(loadTerm(offset, 1.0, length), -1.0);
  }
  std::vector<Cubic> moments = interior > 0 ? supportMoments(spans, rhs) : std::vector<Cubic>();
  moments.insert(moments.begin(), Cubic{});
  moments.push_back(Cubic{});
  return moments;
}

struct Section {
  std::size_t span;  // the span that holds it
  double xi;         // from that span's left support
};

// The span that holds x; at a support, the span on its right when rightOfSupport, else the
// one on its left.
Section sectionOf(const std::vector<double>& spans, double x, bool rightOfSupport) {
  double start = 0.0;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    double end = start + spans[i];
    bool inside = rightOfSupport ? x < end : x <= end;
    if (inside || i + 1 == spans.size()) {
      return {i, x - start};
    }
    start = end;
  }
  return {0, 0.0};
}

// The quantity as a cubic in d, for a load on span `span` between offset and offset + width
// (a piece that does not straddle the section).
Cubic effectOnPiece(const std::vector<double>& spans, Quantity quantity, double x, std::size_t span,
                    double offset, double width) {
  std::vector<Cubic> m = momentsForPiece(spans, span, offset);
  Cubic p = linear(offset);  // the load's distance from its span's left support
  double loadMiddle = offset + width / 2.0;
  if (quantity == Quantity::reaction) {
    std::size_t support = sectionOf(spans, x, false).span + 1;  // x = a sum of spans
    if (x == 0.0) {
      support = 0;
    }
    Cubic r{};
    if (support >= 1) {  // span support - 1 lies on its left
      double l = spans[support - 1];
      r = plus(r, plus(m[support - 1], m[support], -1.0), 1.0 / l);
      if (span == support - 1) {
        r = plus(r, p, 1.0 / l);
      }
    }
    if (support < spans.size()) {  // span `support` on its right
      double l = spans[support];
      r = plus(r, plus(m[support + 1], m[support], -1.0), 1.0 / l);
      if (span == support) {
        r = plus(r, plus(Cubic{1.0, 0.0, 0.0, 0.0}, p, -1.0 / l));
      }
    }
    return r;
  }
  Section at = sectionOf(spans, x, quantity == Quantity::shear);
  double l = spans[at.span];
  bool leftOfSection = loadMiddle < at.xi;
  if (quantity == Quantity::moment) {
    Cubic result = plus(scaled(m[at.span], 1.0 - at.xi / l), m[at.span + 1], at.xi / l);
    if (span == at.span) {  // the simple span's own moment
      result = leftOfSection ? plus(result, p, (l - at.xi) / l)
                             : plus(plus(result, Cubic{at.xi, 0.0, 0.0, 0.0}), p, -at.xi / l);
    }
    return result;
  }
  Cubic result = scaled(plus(m[at.span + 1], m[at.span], -1.0), 1.0 / l);
  if (span == at.span) {  // the simple span's own shear just right of the section
    result = leftOfSection ? plus(result, p, -1.0 / l)
                           : plus(plus(result, Cubic{1.0, 0.0, 0.0, 0.0}), p, -1.0 / l);
  }
  return result;
}

}  // namespace

InfluenceLine line(const std::vector<double>& spans, Quantity quantity, double x) {
  assert(!spans.empty());
  std::vector<InfluencePiece> pieces;
  double start = 0.0;
  for (std::size_t span = 0; span < spans.size(); ++span) {
    assert(spans[span] > 0.0);
    std::vector<double> cuts = {0.0};
    double within = x - start;
    if (quantity != Quantity::reaction && within > 0.0 && within < spans[span]) {
      cuts.push_back(within);  // the section splits its span
    }
    cuts.push_back(spans[span]);
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
      double width = cuts[i + 1] - cuts[i];
      pieces.push_back({start + cuts[i], start + cuts[i + 1],
                        effectOnPiece(spans, quantity, x, span, cuts[i], width)});
    }
    start += spans[span];
  }
  return InfluenceLine::fromPieces(std::move(pieces));
}

}  // namespace continuous_beam
