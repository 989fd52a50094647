// Continuous beams' influence lines, held to an independent stiffness-method solution
// written here: beam elements between the supports, the load and the section, each of
// EI = 1, solved for the joints' deflections and rotations.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "load/ContinuousBeam.h"
#include "load/EffectKinds.h"
#include "options/LoadOptions.h"

namespace {

using continuous_beam::Quantity;

// Solves a x = b by Gaussian elimination with partial pivoting.
std::vector<double> solve(std::vector<std::vector<double>> a, std::vector<double> b) {
  std::size_t n = b.size();
  for (std::size_t col = 0; col < n; ++col) {
    std::size_t pivot = col;
    for (std::size_t row = col + 1; row < n; ++row) {
      if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) {
        pivot = row;
      }
    }
    std::swap(a[col], a[pivot]);
    std::swap(b[col], b[pivot]);
    for (std::size_t row = col + 1; row < n; ++row) {
      double factor = a[row][col] / a[col][col];
      for (std::size_t k = col; k < n; ++k) {
        a[row][k] -= factor * a[col][k];
      }
      b[row] -= factor * b[col];
    }
  }
  std::vector<double> x(n);
  for (std::size_t row = n; row-- > 0;) {
    double sum = b[row];
    for (std::size_t k = row + 1; k < n; ++k) {
      sum -= a[row][k] * x[k];
    }
    x[row] = sum / a[row][row];
  }
  return x;
}

// The element's end forces (upward force and anticlockwise moment on it at each end) from
// its ends' deflections (up) and rotations (anticlockwise).
std::array<double, 4> endForces(double l, const std::array<double, 4>& u) {
  const double k[4][4] = {{12 / (l * l * l), 6 / (l * l), -12 / (l * l * l), 6 / (l * l)},
                          {6 / (l * l), 4 / l, -6 / (l * l), 2 / l},
                          {-12 / (l * l * l), -6 / (l * l), 12 / (l * l * l), -6 / (l * l)},
                          {6 / (l * l), 2 / l, -6 / (l * l), 4 / l}};
  std::array<double, 4> f{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      f[i] += k[i][j] * u[j];
    }
  }
  return f;
}

// The quantity at x for a unit load at p (not at a support, nor at x).
double stiffnessSolution(const std::vector<double>& spans, Quantity quantity, double x, double p) {
  std::vector<double> supports = {0.0};
  for (double span : spans) {
    supports.push_back(supports.back() + span);
  }
  std::vector<double> nodes = supports;
  nodes.push_back(p);
  nodes.push_back(x);
  std::sort(nodes.begin(), nodes.end());
  nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
  std::size_t n = nodes.size();
  std::vector<std::vector<double>> k(2 * n, std::vector<double>(2 * n, 0.0));
  for (std::size_t e = 0; e + 1 < n; ++e) {
    double l = nodes[e + 1] - nodes[e];
    for (int j = 0; j < 4; ++j) {
      std::array<double, 4> unit{};
      unit[j] = 1.0;
      std::array<double, 4> f = endForces(l, unit);
      for (int i = 0; i < 4; ++i) {
        k[2 * e + i][2 * e + j] += f[i];
      }
    }
  }
  std::vector<double> load(2 * n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    if (nodes[i] == p) {
      load[2 * i] = -1.0;
    }
    if (std::find(supports.begin(), supports.end(), nodes[i]) != supports.end()) {
      std::fill(k[2 * i].begin(), k[2 * i].end(), 0.0);  // no deflection at a support
      for (auto& row : k) {
        row[2 * i] = 0.0;
      }
      k[2 * i][2 * i] = 1.0;
      load[2 * i] = 0.0;
    }
  }
  std::vector<double> u = solve(k, load);
  auto forcesOf = [&](std::size_t e) {
    return endForces(nodes[e + 1] - nodes[e], {u[2 * e], u[2 * e + 1], u[2 * e + 2], u[2 * e + 3]});
  };
  std::size_t at =
      static_cast<std::size_t>(std::find(nodes.begin(), nodes.end(), x) - nodes.begin());
  if (quantity == Quantity::reaction) {
    double reaction = 0.0;
    if (at > 0) {
      reaction += forcesOf(at - 1)[2];
    }
    if (at + 1 < n) {
      reaction += forcesOf(at)[0];
    }
    return reaction;
  }
  std::array<double, 4> right = forcesOf(at);  // the element starting at the section
  return quantity == Quantity::moment ? -right[1] : right[0];
}

struct Case {
  std::vector<double> spans;
  Quantity quantity;
  double x;
};

bool nearNode(const Case& c, double p) {
  double support = 0.0;
  bool near = std::fabs(p - c.x) < 0.05 || std::fabs(p) < 0.05;
  for (double span : c.spans) {
    support += span;
    near = near || std::fabs(p - support) < 0.05;
  }
  return near;
}

TEST(ContinuousBeamTest, LinesAgreeWithAStiffnessSolution) {
  const Case cases[] = {{{35, 35}, Quantity::moment, 14},
                        {{35, 35}, Quantity::moment, 35},
                        {{35, 35}, Quantity::shear, 0},
                        {{35, 35}, Quantity::shear, 35},
                        {{35, 35}, Quantity::reaction, 35},
                        {{35, 35}, Quantity::reaction, 0},
                        {{30, 40, 30}, Quantity::moment, 50},
                        {{30, 40, 30}, Quantity::shear, 42},
                        {{30, 40, 30}, Quantity::reaction, 70},
                        {{12, 25, 18, 9}, Quantity::moment, 40.5},
                        {{20}, Quantity::moment, 5}};
  for (const Case& c : cases) {
    InfluenceLine line = continuous_beam::line(c.spans, c.quantity, c.x);
    double length = line.length();
    double greatest = 0.0;
    for (int i = 0; i <= 400; ++i) {
      double p = length * (i + 0.37) / 401.0;
      if (nearNode(c, p)) {
        continue;  // a short element makes the reference's stiffness ill-conditioned
      }
      double expected = stiffnessSolution(c.spans, c.quantity, c.x, p);
      greatest = std::max(greatest, std::fabs(expected));
      EXPECT_NEAR(line.ordinateAt(p), expected, 1e-9 * std::max(1.0, length))
          << "x " << c.x << " p " << p << " quantity " << static_cast<int>(c.quantity);
    }
    EXPECT_GT(greatest, 0.1);
  }
}

// The built-in lines of one and two spans are beams too.
TEST(ContinuousBeamTest, TheSimpleSpanAndTheHoggingLinesAreBeams) {
  InfluenceLine hogging = InfluenceLine::twoSpanHogging(35.0);
  InfluenceLine beam = continuous_beam::line({35.0, 35.0}, Quantity::moment, 35.0);
  InfluenceLine simple = InfluenceLine::simpleSpanMoment(30.0, 12.0);
  InfluenceLine simpleBeam = continuous_beam::line({30.0}, Quantity::moment, 12.0);
  InfluenceLine shear = InfluenceLine::simpleSpanShear(20.0);
  InfluenceLine shearBeam = continuous_beam::line({20.0}, Quantity::shear, 0.0);
  for (double p = 0.0; p <= 70.0; p += 0.25) {
    EXPECT_NEAR(-beam.ordinateAt(p), hogging.ordinateAt(p), 1e-12) << p;
    EXPECT_NEAR(simpleBeam.ordinateAt(p), simple.ordinateAt(p), 1e-12) << p;
    EXPECT_NEAR(shearBeam.ordinateAt(p), shear.ordinateAt(p), 1e-12) << p;
  }
}

TEST(ContinuousBeamTest, EffectsAreReadWithTheirQuantityAndRefusedWithWhatIsAccepted) {
  LoadEffect effect;
  std::string error;
  ASSERT_TRUE(load_options::parseEffect("beam:35,35:-moment@35", &effect, &error)) << error;
  EXPECT_FALSE(effect.force);
  EXPECT_NEAR(effect.line.ordinateAt(35.0 / std::sqrt(3.0)), 35.0 / (6.0 * std::sqrt(3.0)), 1e-12);
  ASSERT_TRUE(load_options::parseEffect("beam:30,40,30:reaction@30", &effect, &error)) << error;
  EXPECT_TRUE(effect.force);
  EXPECT_NEAR(effect.line.ordinateAt(30.0), 1.0, 1e-12);
  EXPECT_EQ(effect_kinds::describe("beam:35,35:shear@0"),
            "shear just right of 0 m, continuous spans of 35 + 35 m");
  for (const char* bad : {"beam:35,35:moment@70", "beam:35,35:reaction@14", "beam:35,0:moment@5",
                          "beam:35,35:torque@5", "beam:35,35:moment", "beam:6000,6000:moment@10"}) {
    EXPECT_FALSE(load_options::parseEffect(bad, &effect, &error)) << bad;
    EXPECT_EQ(error.rfind(std::string("--effect \"") + bad + "\": ", 0), 0u) << error;
    EXPECT_NE(error.find("beam:L1,L2,...:QUANTITY@X"), std::string::npos) << error;
  }
  LoadSettings settings;
  ASSERT_TRUE(load_options::takeOption("--effect", "beam:35,35:moment@14", &settings, &error));
  EXPECT_FALSE(load_options::takeOption("--effect", "beam:35.0,35:moment@14.0", &settings, &error));
}

}  // namespace
