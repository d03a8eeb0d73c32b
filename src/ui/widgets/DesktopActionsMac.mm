#include "ui/widgets/DesktopActions.h"

#import <AppKit/AppKit.h>

namespace qlan {

std::optional<QString> appKitChooseFolder(const FolderChooserRequest& request) {
    @autoreleasepool {
        NSOpenPanel* panel = [NSOpenPanel openPanel];
        panel.canChooseDirectories = YES;
        panel.canChooseFiles = NO;
        panel.allowsMultipleSelection = NO;
        panel.canCreateDirectories = YES;
        panel.message = request.message.toNSString();
        panel.prompt = request.confirmLabel.toNSString();
        panel.directoryURL = [NSURL fileURLWithPath:NSHomeDirectory() isDirectory:YES];
        if ([panel runModal] != NSModalResponseOK) return std::nullopt;
        NSString* path = panel.URL.path;
        if (!path || path.length == 0) return std::nullopt;
        return QString::fromNSString(path);
    }
}

} // namespace qlan
