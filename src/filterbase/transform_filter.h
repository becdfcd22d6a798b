// A filter with an Input and an Output pin that makes one output sample of
// each sample it receives and delivers it downstream, with the sample's time
// stamps and flags; the end of the stream and flushes are passed on. The
// output offers, and takes, one type: the one the filter kind makes of the
// input's connected type. A filter kind says which input types it takes, the
// output type of each, and how the bytes change.
#pragma once

#include "filterbase/filter_base.h"
#include "filterbase/media_type.h"

#include <windows.h>
#include <strmif.h>

#include <memory>
#include <vector>

namespace filterbase {

class TransformInputPin;
class TransformOutputPin;

class TransformFilter : public FilterBase {
  protected:
    explicit TransformFilter(const CLSID& clsid);
    ~TransformFilter() override;

    // Whether the input can take type, whatever the output is connected with.
    virtual bool takesInput(const AM_MEDIA_TYPE& type) const = 0;
    // The output type for an input type that takesInput takes.
    virtual HRESULT outputTypeFor(const AM_MEDIA_TYPE& input, MediaType& output) const = 0;
    // Bytes one output sample of type needs.
    virtual long outputSampleBytes(const AM_MEDIA_TYPE& output) const = 0;
    // Makes the output sample's bytes: to holds toSize bytes; from holds
    // length bytes of the input's connected type input. Sets written to the
    // output's data length. S_FALSE: the input sample makes no output (it is
    // dropped, and the stream goes on); a failure is returned upstream.
    virtual HRESULT transform(const AM_MEDIA_TYPE& input, const BYTE* from, long length, BYTE* to,
                              long toSize, long& written) = 0;

    ULONG pinCount() const override { return 2; }
    IPin* pinAt(ULONG index) const override;
    HRESULT activate() override;
    void deactivate() override;

  private:
    friend class TransformInputPin;
    friend class TransformOutputPin;

    // Once the output is connected, only an input type that makes its type.
    bool acceptsInput(const AM_MEDIA_TYPE& type) const;
    bool acceptsOutput(const AM_MEDIA_TYPE& type) const;
    HRESULT offeredOutputTypes(std::vector<MediaType>& types) const;
    HRESULT receive(IMediaSample* sample);
    HRESULT endOfStream();
    // The beginning (true) or end of a flush, passed on downstream.
    HRESULT passFlushOn(bool beginning);

    std::unique_ptr<TransformInputPin> input_;
    std::unique_ptr<TransformOutputPin> output_;
    LONG streaming_ = 0;
};

} // namespace filterbase
