#include "platform/ShellRunner.h"

#include "platform/Worker.h"

#include <vector>

namespace qlan {

Stream<StreamEvent> ShellRunner::stream(const QString& executable, const QStringList& arguments) const {
    auto [inner, handle] = process->stream(executable, arguments, std::nullopt);
    auto made = Stream<StreamEvent>::make(); // not a structured binding: the lambdas below capture it
    auto& outer = made.first;
    auto& producer = made.second;

    // The mapping runs on a thread of its own; it ends at the first `completed`, when the process stream
    // ends, or when the outer stream is terminated (the stop token wakes its wait on the inner stream).
    // Events already waiting are mapped together and handed on at once.
    auto source = std::make_shared<Stream<ProcessStreamEvent>>(std::move(inner));
    std::stop_source mapping = startWorker([source, producer, executable](std::stop_token stop) {
        std::vector<StreamEvent> mapped;
        bool completed = false;
        const auto map = [&](ProcessStreamEvent&& event) {
            switch (event.kind) {
            case ProcessStreamEvent::Kind::line:
                mapped.push_back(StreamEvent::output(std::move(event.text), event.omitted));
                return;
            case ProcessStreamEvent::Kind::exited:
                mapped.push_back(StreamEvent::completed(event.code));
                break;
            case ProcessStreamEvent::Kind::failedToStart:
                mapped.push_back(StreamEvent::output(
                    QStringLiteral("Failed to start %1: %2").arg(executable, event.text)));
                mapped.push_back(StreamEvent::completed(-1));
                break;
            }
            completed = true;
        };
        std::vector<ProcessStreamEvent> batch;
        while (!completed && source->nextBatch(batch, 4096, stop)) {
            for (ProcessStreamEvent& event : batch) {
                map(std::move(event));
                if (completed) break;
            }
            producer.yieldAll(mapped);
        }
        producer.finish();
        source->cancel(); // nothing more is read (harmless after the inner stream's finish)
    });

    // Whoever ends the outer stream (its consumer, or the mapping at completion) stops the child and the
    // mapping.
    producer.onTermination([handle = std::move(handle), mapping](StreamTermination) mutable {
        if (handle) handle->cancel();
        mapping.request_stop();
    });
    return std::move(outer);
}

} // namespace qlan
