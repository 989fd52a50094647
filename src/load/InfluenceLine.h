// An influence line: the load effect that a unit load causes at each position x (m) along a
// bridge of length() metres, made of pieces that are polynomials of degree at most 3 in
// the distance from their start. Pieces follow one another without gaps from 0 to the
// length; where one ends and the next begins the line may jump. Off the bridge it is 0.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

struct InfluencePiece {
  double start = 0.0;  // m
  double end = 0.0;    // m, above start
  // Ordinate at x: c[0] + c[1] d + c[2] d^2 + c[3] d^3 with d = x - start (m).
  std::array<double, 4> coefficients{};
};

struct InfluencePoint {
  double x = 0.0;  // m
  double ordinate = 0.0;
};

class InfluenceLine {
 public:
  // The bending moment at a (m) from the left support of a simple span of `span` m.
  // REQUIRES: 0 < a < span.
  static InfluenceLine simpleSpanMoment(double span, double a);
  // The left support's reaction, the shear at that support, of a simple span.
  static InfluenceLine simpleSpanShear(double span);
  // The moment over the central support of two equal continuous spans of `span` m each,
  // hogging counted positive: x (span^2 - x^2) / (4 span^2) on the first span, mirrored
  // on the second.
  static InfluenceLine twoSpanHogging(double span);
  // Straight lines through points whose x rise from 0 to the bridge's length; a repeated x
  // is a jump. False, with *error saying what is wrong, for points
  // that do not describe such a line: fewer than two, a first x other than 0, an x that
  // falls, a length of 0, an x or ordinate that is not finite, or an x repeated twice.
  static bool fromPoints(const std::vector<InfluencePoint>& points, InfluenceLine* line,
                         std::string* error);

  // The line of these pieces. REQUIRES: at least one; each starts where the one before it
  // ends, the first at 0, and ends after it starts.
  static InfluenceLine fromPieces(std::vector<InfluencePiece> pieces);

  // A line of no pieces and length 0, to be assigned one of the lines above.
  InfluenceLine() = default;

  double length() const { return pieces.empty() ? 0.0 : pieces.back().end; }
  const std::vector<InfluencePiece>& pieceList() const { return pieces; }
  // The ordinate at x, taking the piece that starts at x where two meet. 0 off the bridge.
  double ordinateAt(double x) const;

 private:
  explicit InfluenceLine(std::vector<InfluencePiece> pieceList) : pieces(std::move(pieceList)) {}

  std::vector<InfluencePiece> pieces;
};
