// The vcxcam colour converter: a transform filter that takes YUY2 or NV12
// frames (FORMAT_VideoInfo or FORMAT_VideoInfo2) on its input pin and
// delivers them as bottom-up RGB24 FORMAT_VideoInfo frames of the same size
// and frame interval, converted by the formulas of colour_conversion.h; and
// RGB24 FORMAT_VideoInfo2 frames, delivered unchanged as FORMAT_VideoInfo. It
// is registered in the DirectShow filter category, so that a graph builder
// connecting such a camera to a filter that takes RGB24 FORMAT_VideoInfo only
// puts it between.
#pragma once

#include "filterbase/transform_filter.h"

namespace vcxcam {

class ConverterFilter final : public filterbase::TransformFilter {
  public:
    // Makes a converter (there is one kind; index is not used).
    static HRESULT create(int index, REFIID iid, void** out);

  protected:
    bool takesInput(const AM_MEDIA_TYPE& type) const override;
    HRESULT outputTypeFor(const AM_MEDIA_TYPE& input, filterbase::MediaType& output) const override;
    long outputSampleBytes(const AM_MEDIA_TYPE& output) const override;
    HRESULT transform(const AM_MEDIA_TYPE& input, const BYTE* from, long length, BYTE* to,
                      long toSize, long& written) override;

  private:
    ConverterFilter();
    ~ConverterFilter() override = default;
};

} // namespace vcxcam
