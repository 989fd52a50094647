#include "load/EffectKinds.h"

#include "base/text/NumberText.h"

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

struct QuantityName {
  const char* name;
  continuous_beam::Quantity quantity;
  const char* words;
};

const QuantityName quantities[] = {
    {"moment", continuous_beam::Quantity::moment, "bending moment at"},
    {"shear", continuous_beam::Quantity::shear, "shear just right of"},
    {"reaction", continuous_beam::Quantity::reaction, "reaction of the support at"},
};

Texts splitAt(const std::string& text, char separator) {
  Texts parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

bool isSupport(const std::vector<double>& spans, double x) {
  double at = 0.0;
  if (x == at) {
    return true;
  }
  for (double span : spans) {
    at += span;
    if (x == at) {
      return true;
    }
  }
  return false;
}

bool readSpans(const std::string& text, double maxLength, std::vector<double>* spans,
               std::string* why) {
  double total = 0.0;
  for (const std::string& part : splitAt(text, ',')) {
    double span = 0.0;
    if (!readNumberText(part, &span) || !(span > 0.0) || spans->size() >= maxBeamSpans) {
      *why = "the spans \"" + text + "\" are not up to " + std::to_string(maxBeamSpans) +
             " lengths in m above 0, separated by commas";
      return false;
    }
    total += span;
    spans->push_back(span);
  }
  if (total > maxLength) {
    *why = "the spans \"" + text + "\" are " + numberText(total) + " m long; accepted: up to " +
           numberText(maxLength) + " m";
    return false;
  }
  return true;
}

bool readQuantity(const std::string& text, BeamEffect* beam, std::string* why) {
  std::string name = text;
  beam->negative = !name.empty() && name[0] == '-';
  if (beam->negative) {
    name = name.substr(1);
  }
  for (const QuantityName& known : quantities) {
    if (name == known.name) {
      beam->quantity = known.quantity;
      return true;
    }
  }
  *why = "the quantity \"" + text +
         "\" is none of moment, shear and reaction (a leading - for the most negative)";
  return false;
}

bool readSection(const std::string& text, BeamEffect* beam, std::string* why) {
  double length = 0.0;
  for (double span : beam->spans) {
    length += span;
  }
  bool read = readNumberText(text, &beam->x);
  double x = beam->x;
  switch (beam->quantity) {
    case continuous_beam::Quantity::moment:
      read = read && x > 0.0 && x < length;
      break;
    case continuous_beam::Quantity::shear:
      read = read && x >= 0.0 && x < length;
      break;
    case continuous_beam::Quantity::reaction:
      read = read && isSupport(beam->spans, x);
      break;
  }
  if (!read) {
    const char* accepted = beam->quantity == continuous_beam::Quantity::moment ? "above 0 and below"
                           : beam->quantity == continuous_beam::Quantity::shear ? "from 0 and below"
                                                                                : "at a support of";
    *why = "X \"" + text + "\" is not a distance in m " + accepted + " the beam's " +
           numberText(length) + " m";
    return false;
  }
  return true;
}

std::string spansText(const std::vector<double>& spans, const char* separator) {
  std::string text;
  for (double span : spans) {
    text += (text.empty() ? "" : separator) + shortestText(span);
  }
  return text;
}

const QuantityName& nameOf(continuous_beam::Quantity quantity) {
  for (const QuantityName& known : quantities) {
    if (known.quantity == quantity) {
      return known;
    }
  }
  return quantities[0];
}

std::string describeBeam(const BeamEffect& beam) {
  std::string words = nameOf(beam.quantity).words;
  return std::string(beam.negative ? "most negative " : "") + words + " " + shortestText(beam.x) +
         " m, continuous spans of " + spansText(beam.spans, " + ") + " m";
}

}  // namespace

bool readBeam(const std::string& definition, double maxLength, BeamEffect* beam, std::string* why) {
  Texts parts = splitAt(definition, ':');
  Texts section = parts.size() == 3 ? splitAt(parts[2], '@') : Texts();
  if (parts.size() != 3 || parts[0] != "beam" || section.size() != 2) {
    *why = std::string("it is not of the form ") + beamSyntax + " (beam:35,35:moment@14)";
    return false;
  }
  *beam = BeamEffect();
  return readSpans(parts[1], maxLength, &beam->spans, why) && readQuantity(section[0], beam, why) &&
         readSection(section[1], beam, why);
}

InfluenceLine beamLine(const BeamEffect& beam) {
  InfluenceLine line = continuous_beam::line(beam.spans, beam.quantity, beam.x);
  if (!beam.negative) {
    return line;
  }
  std::vector<InfluencePiece> pieces = line.pieceList();
  for (InfluencePiece& piece : pieces) {
    for (double& c : piece.coefficients) {
      c = -c;
    }
  }
  return InfluenceLine::fromPieces(std::move(pieces));
}

std::string beamIdentity(const BeamEffect& beam) {
  std::string quantity = nameOf(beam.quantity).name;
  return "beam:" + spansText(beam.spans, ",") + ":" + (beam.negative ? "-" : "") + quantity + "@" +
         shortestText(beam.x);
}

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
  BeamEffect beam;
  std::string why;
  if (readBeam(definition, 1e300, &beam, &why)) {
    return describeBeam(beam);
  }
  Texts parts = partsOf(definition);
  const EffectForm* form = formOf(parts[0], parts.size() - 1);
  return form == nullptr ? definition : form->describe(parts);
}

}  // namespace effect_kinds
