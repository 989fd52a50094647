#include "campaign/CampaignLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cli/InputFile.h"

CampaignLock::~CampaignLock() {
  if (descriptor >= 0) {
    ::close(descriptor);  // releases the lock
  }
}

bool CampaignLock::take(const std::string& campaignFolder, const std::string& action,
                        std::string* error) {
  std::string path = (std::filesystem::path(campaignFolder) / fileName).string();
  descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (descriptor < 0) {
    *error = "cannot open the campaign's lock \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    std::ifstream in;
    openInput(path, in);  // an unreadable lock names no holder
    std::string holder;
    std::getline(in, holder);
    ::close(descriptor);
    descriptor = -1;
    *error = "the campaign \"" + campaignFolder + "\" is in the hands of " +
             (holder.empty() ? std::string("another velmora-campaign") : holder) +
             "; accepted: one run or combine at a time (wait for it to end)";
    return false;
  }
  std::string holder =
      "velmora-campaign " + action + " (process " + std::to_string(::getpid()) + ")\n";
  if (::ftruncate(descriptor, 0) != 0 ||
      ::write(descriptor, holder.data(), holder.size()) != static_cast<ssize_t>(holder.size())) {
    *error = "cannot write the campaign's lock \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  return true;
}
