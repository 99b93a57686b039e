#pragma once

#include <string_view>

#include "lint/component_rules.h"

namespace velk {

// A "-group" mapping of a component type, begun by its opener key.
struct GroupKind {
    std::string_view group;
    std::string_view opener;
};

// The groups that a component type reads; none for unknown types.
std::vector<GroupKind> GroupsOf(std::string_view type);

// Keys the reader ignores, misplaces or converts: unknown keys (with the
// nearest known one), nested keys read without their group, group keys
// written before the group's opener, repeated keys, values without a
// Windows-1251 form.
void CheckKeys(const ComponentFile& component, std::string_view type, FileFindings& findings);

// The known text nearest to text, when it is near enough to be a typo.
std::string_view Nearest(std::string_view text, const std::vector<std::string_view>& known);

}  // namespace velk
