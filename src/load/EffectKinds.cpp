#include "load/EffectKinds.h"

namespace effect_kinds {
namespace {

using Texts = std::vector<std::string>;
using Lengths = std::vector<double>;

Lengths asGiven(const Lengths& lengths) {
  return lengths;
}

const EffectForm forms[] = {
    {"moment", 1, Quantity::moment,
     [](const Texts& t) { return "bending moment at mid-span, simple span of " + t[1] + " m"; },
     [](const Lengths& l) { return InfluenceLine::simpleSpanMoment(l[0], l[0] / 2.0); },
     [](const Lengths& l) {
       return Lengths{l[0], l[0] / 2.0};
     }},
    {"moment", 2, Quantity::moment,
     [](const Texts& t) {
       return "bending moment " + t[2] + " m from the left support, simple span of " + t[1] + " m";
     },
     [](const Lengths& l) { return InfluenceLine::simpleSpanMoment(l[0], l[1]); }, asGiven},
    {"shear", 1, Quantity::force,
     [](const Texts& t) { return "shear at the left support, simple span of " + t[1] + " m"; },
     [](const Lengths& l) { return InfluenceLine::simpleSpanShear(l[0]); }, asGiven},
    {"hogging", 1, Quantity::moment,
     [](const Texts& t) {
       return "hogging moment over the central support, two spans of " + t[1] + " m";
     },
     [](const Lengths& l) { return InfluenceLine::twoSpanHogging(l[0]); }, asGiven},
};

Texts partsOf(const std::string& definition) {
  Texts parts;
  std::size_t start = 0;
  for (std::size_t colon; (colon = definition.find(':', start)) != std::string::npos;
       start = colon + 1) {
    parts.push_back(definition.substr(start, colon - start));
  }
  parts.push_back(definition.substr(start));
  return parts;
}

}  // namespace

const EffectForm* formOf(const std::string& prefix, std::size_t lengths) {
  for (const EffectForm& form : forms) {
    if (prefix == form.prefix && lengths == form.lengths) {
      return &form;
    }
  }
  return nullptr;
}

std::string syntaxList() {
  std::string list;
  for (const EffectForm& form : forms) {
    list += (list.empty() ? "" : ", ") + std::string(form.prefix);
    for (std::size_t i = 0; i < form.lengths; ++i) {
      list += i == 0 ? ":L" : i == 1 ? ":a" : ":a" + std::to_string(i);
    }
  }
  return list;
}

std::string describe(const std::string& definition) {
  if (definition.compare(0, 3, "il:") == 0 && definition.size() > 3) {
    return "the influence line of " + definition.substr(3);
  }
  Texts parts = partsOf(definition);
  const EffectForm* form = formOf(parts[0], parts.size() - 1);
  return form == nullptr ? definition : form->describe(parts);
}

}  // namespace effect_kinds
