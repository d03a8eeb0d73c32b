#include "catalog/ProjectTemplate.h"

namespace qlan {

QString toText(ProjectTemplate value) {
    switch (value) {
    case ProjectTemplate::simple:
        return QStringLiteral("simple");
    case ProjectTemplate::coding:
        return QStringLiteral("coding");
    }
    return {};
}

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
