// The exact influence lines of a beam continuous over its supports: prismatic spans of one
// stiffness, simply supported at both ends and on every support between, none of which
// settles. By Müller-Breslau the line is cubic between supports (and between a section and
// its supports); it is made here as those cubics, from the three-moment equation of the
// supports' moments, which a unit load makes cubic in its position on each span.
#pragma once

#include <vector>

#include "load/InfluenceLine.h"

namespace continuous_beam {

enum class Quantity {
  moment,    // the bending moment at a section, sagging positive
  shear,     // the shear just right of a section: the sum of the upward forces on its left
  reaction,  // the upward reaction of a support
};

// The line of `quantity` at x (m from the left end) on spans of the given lengths (m).
// REQUIRES: every span > 0; for a moment 0 < x < the beam's length, for a shear
// 0 <= x < the length, for a reaction x at a support (0, the length or a sum of spans).
InfluenceLine line(const std::vector<double>& spans, Quantity quantity, double x);

}  // namespace continuous_beam
