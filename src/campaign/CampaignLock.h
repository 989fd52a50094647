// The lock that lets one driver (run or combine) at a time work on a campaign: a file in
// the campaign folder, locked with the system's advisory lock, which the system releases
// when its holder ends in any way, so a lock left by a crash is never in force.
#pragma once

#include <string>

class CampaignLock {
 public:
  CampaignLock() = default;
  CampaignLock(const CampaignLock&) = delete;
  CampaignLock& operator=(const CampaignLock&) = delete;
  // Releases the lock.
  virtual ~CampaignLock();

  static constexpr const char* fileName = "driver.lock";

  // Takes the lock of campaignFolder for `action`. False, with *error one line
  // naming the driver that holds it (its process and action), when another holds it.
  bool take(const std::string& campaignFolder, const std::string& action, std::string* error);

 private:
  int descriptor = -1;
};
