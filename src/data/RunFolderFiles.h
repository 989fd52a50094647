// The names of a run folder's files: the run parameters in the folder itself, the site
// files under the data root in the folders that the site codes pick. Every program that
// reads or writes a run folder names its files from here.
#pragma once

namespace run_folder_files {

constexpr const char* parameters = "VLMin.txt";
constexpr const char* defaultOutput = "TrafOut.txt";
constexpr const char* siteRoot = "Traffic";  // the data root "C:\Traffic\" on POSIX

// The site files, by what they hold.
constexpr const char* axleWeights23 = "AW2&3.csv";  // 2- and 3-axle trucks' axle weights
constexpr const char* axleWeights45 = "AW4&5.csv";  // 4- and 5-axle trucks', by weight band
constexpr const char* axleSpacings = "ASall.csv";
constexpr const char* grossWeights = "GVWpdf.csv";  // and the speeds
constexpr const char* classShares = "Class%.csv";
constexpr const char* flows = "FlowR.csv";
constexpr const char* headways = "NHM.csv";  // read under the headway-table model only
// Optional: trucks of 6 to 9 axles (shares, gross weights, spacings, axle weights). A site
// without it has trucks of 2 to 5 axles only.
constexpr const char* heavyTrucks = "HV6to9.csv";

}  // namespace run_folder_files
