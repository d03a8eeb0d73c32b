#include "catalog/ProjectTemplate.h"

namespace qlan {

QString folderName(ProjectTemplate value) {
    switch (value) {
    case ProjectTemplate::simple:
        return QStringLiteral("AI-Simple-Project");
    case ProjectTemplate::coding:
        return QStringLiteral("AI-Coding-Project");
    }
    return {};
}

} // namespace qlan
