#include "player/video_pipeline.h"

#include "app/events.h"
#include "app/main_window_notifier.h"
#include "player/quality_controller.h"
#include "player/video_frame.h"

namespace zv {

void CWindowFrameSink::OnFrame(const VideoFrame& frame) {
  CMainWindowNotifier::Instance().Send(UWM_VIDEO_FRAME, reinterpret_cast<uintptr_t>(&frame), 0);
}

CVideoPipeline::CVideoPipeline(CQualityController& quality, IFrameSink& frames)
    : m_quality(quality), m_converter(frames), m_decoder(m_converter, *this), m_parser(*this, m_decoder) {}

void CVideoPipeline::OnSequenceHeader() { m_quality.AllowChange(); }

void CVideoPipeline::OnVideoSize(int32_t width, int32_t height) {
  m_converter.SetOutputSize(width, height);
  CMainWindowNotifier::Instance().Send(UWM_VIDEO_SIZE, static_cast<uintptr_t>(width), height);
}

void CVideoPipeline::OnVideoPacket() { m_quality.CountVideoPacket(); }

bool CVideoPipeline::RequestLowerQuality() { return m_quality.StepQuality(1); }

void CVideoPipeline::OnLowBandwidth() { CMainWindowNotifier::Instance().Post(UWM_LOW_BANDWIDTH, 0, 0); }

}  // namespace zv
