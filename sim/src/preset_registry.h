// The registry a fresh machine of a preset starts with.
#pragma once

namespace sim {

struct Profile;
class Registry;

void SeedRegistry(const Profile &profile, Registry &registry);

}  // namespace sim
