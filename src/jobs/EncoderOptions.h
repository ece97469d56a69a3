// Turns a row's task entry record, the current profile and its stored choices
// into the encoder's input and output option records.
#pragma once

#include "engine/EngineTypes.h"
#include "jobs/TaskRecord.h"

#include <QString>

#include <stdexcept>

namespace fw {

class IniFile;
class IPrompts;

namespace engine {
class TAVProbe;
}

// What the option synthesis needs to know about the source.
struct TSourceFacts {
    int VideoCount = 0;
    int Width = -1;    // first video stream; -1 when unknown
    int Height = -1;
    int BitRate = -1;  // bit/s of the first video stream; -1 when unknown
};

TSourceFacts SourceFactsOf(engine::TAVProbe& prober);

// A stored choice that cannot be used at all (for example a volume that is
// not a whole number). It ends the start of a run with its message.
class OptionsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills the two records for one row. `out` arrives set up with its defaults,
// the output file name and, when the row has crop margins, the four crop
// fields; `in` arrives with the file name and the trim start. Asks the
// video-size question through `prompts`. Throws OptionsError.
void BuildEncoderOptions(const TlvFilesRecord& rec, int formatCode, engine::TOutputOptions& out,
                         const TSourceFacts& source, engine::TInputOptions& in, IPrompts& prompts,
                         const IniFile& settings, const IniFile& format);

// Integer helpers of the zoom arithmetic, exposed for tests.
int EvenOf(double x);              // 2 * (trunc(x) div 2)
int PadOf(int total, int inner);   // 2 * ((total - inner) div 4)

}  // namespace fw
