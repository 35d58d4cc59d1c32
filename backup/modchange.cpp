#include "backup/modchange.h"

#include "backup/WordDocQueue.h"

WordDocResult SaveAsWordDoc(const QString& htmlPath, platform::EventPump& pump) {
    WordDocQueue queue;
    queue.Add(htmlPath);
    queue.Finish(pump);
    for (const WordDocResult result :
         {WordDocResult::NoConverter, WordDocResult::TimedOut, WordDocResult::ConversionFailed}) {
        if (queue.Count(result) > 0) {
            return result;
        }
    }
    return WordDocResult::Made;
}
