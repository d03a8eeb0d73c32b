#pragma once
// The example projects the guided setup can copy into the user's folders.

#include "platform/TextEnum.h"

#include <QString>

namespace qlan {

enum class ProjectTemplate { simple, coding };
template <> struct TextEnumCases<ProjectTemplate> {
    static constexpr TextCase<ProjectTemplate> cases[]{
        {ProjectTemplate::simple, "simple"},
        {ProjectTemplate::coding, "coding"},
    };
};

// The template's folder in the "example-projects" folder of the application's resources; the copy gets
// the same name in ~/Documents or in the folder the user chose.
QString folderName(ProjectTemplate value);

} // namespace qlan
