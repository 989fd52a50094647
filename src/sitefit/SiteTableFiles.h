// A site's fitted tables as the site files the loader reads: "FlowR.csv" and "Class%.csv"
// with one column a lane and the road's total or mean last, the mixture blocks of
// "GVWpdf.csv", "ASall.csv" and "AW2&3.csv", the band rows of "AW4&5.csv", with trucks of 6
// to 9 axles "HV6to9.csv" and, with a headway table, "NHM.csv"; the lines between blocks
// say what follows.
#pragma once

#include <string>
#include <vector>

#include "sitefit/SiteTables.h"

// The names of the files that writeSiteTables may write, NHM.csv only with headwayTable.
std::vector<std::string> siteTableNames(bool headwayTable);
// The names of the files that writeSiteTables writes for tables, in writing order.
std::vector<std::string> writtenTableNames(const SiteTables& tables);

// Writes the files into folder (which must exist). False, with *error one line,
// when one cannot be written.
bool writeSiteTables(const SiteTables& tables, const std::string& folder, std::string* error);
