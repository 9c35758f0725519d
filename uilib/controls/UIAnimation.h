#pragma once
#include "UiPlatform.h"

#include <vector>

namespace Orvel {

class CControlUI;

// Timed frame animations of a control. The virtual operations keep this
// order.
class IUIAnimation {
public:
    virtual ~IUIAnimation() = default;
    // False when `id` already runs, when `elapse` (milliseconds) or
    // `totalFrames` is not above 0, or when no timer could be started.
    virtual bool StartAnimation(int elapse, int totalFrames, int id, bool loop = false) = 0;
    // Id 0 stops every animation.
    virtual void StopAnimation(int id = 0) = 0;
    virtual bool IsAnimationRunning(int id) = 0;
    // -1 when the animation does not run.
    virtual int CurrentFrame(int id = 0) = 0;
    // False when the animation does not run or `frame` is outside 0 to its
    // total frames.
    virtual bool SetCurrentFrame(int frame, int id = 0) = 0;
    virtual void OnAnimationStep(int totalFrames, int currentFrame, int id) = 0;
    virtual void OnAnimationStart(int id, bool firstLoop) = 0;
    virtual void OnAnimationStop(int id) = 0;
    // One tick of the animation's timer: the owner calls it for its timer
    // events, with the timer's id.
    virtual void OnAnimationTimer(int id) = 0;
};

// Mixed into a control: each running animation is one of the owner's timers
// in its paint manager, and every tick is one frame handed to
// OnAnimationStep. An animation of T frames reports the steps 0 to T and
// stops on the tick that reports T; a looping one goes on with the steps 1
// to T after each round.
class CUIAnimation : public IUIAnimation {
public:
    explicit CUIAnimation(CControlUI* owner);
    ~CUIAnimation() override;
    CUIAnimation(const CUIAnimation&) = delete;
    CUIAnimation& operator=(const CUIAnimation&) = delete;

    bool StartAnimation(int elapse, int totalFrames, int id, bool loop = false) override;
    void StopAnimation(int id = 0) override;
    bool IsAnimationRunning(int id) override;
    int CurrentFrame(int id = 0) override;
    bool SetCurrentFrame(int frame, int id = 0) override;
    // The three notifications do nothing here; the control overrides them.
    void OnAnimationStep(int totalFrames, int currentFrame, int id) override;
    void OnAnimationStart(int id, bool firstLoop) override;
    void OnAnimationStop(int id) override;
    void OnAnimationTimer(int id) override;

private:
    struct Animation {
        int id;
        int elapse;
        int totalFrames;
        int currentFrame;
        bool loop;
        bool firstLoop;
    };

    // Null when `id` does not run. Records move when others are removed, so
    // a pointer is only good until the next call out to the owner.
    Animation* Find(int id);
    void StopTimer(int id);

    CControlUI* owner_;  // not owned
    std::vector<Animation> animations_;
};

}  // namespace Orvel
