#include "UIAnimation.h"

#include "ControlUI.h"
#include "PaintManagerUI.h"

#include <algorithm>

namespace Orvel {

CUIAnimation::CUIAnimation(CControlUI* owner) : owner_(owner) {}

CUIAnimation::~CUIAnimation() = default;

CUIAnimation::Animation* CUIAnimation::Find(int id) {
    for (Animation& animation : animations_) {
        if (animation.id == id) {
            return &animation;
        }
    }
    return nullptr;
}

void CUIAnimation::StopTimer(int id) {
    CPaintManagerUI* manager = owner_ != nullptr ? owner_->Manager() : nullptr;
    if (manager != nullptr) {
        manager->StopTimer(owner_, static_cast<UINT>(id));
    }
}

bool CUIAnimation::StartAnimation(int elapse, int totalFrames, int id, bool loop) {
    if (Find(id) != nullptr || elapse <= 0 || totalFrames <= 0 || owner_ == nullptr) {
        return false;
    }
    CPaintManagerUI* manager = owner_->Manager();
    if (manager == nullptr ||
        !manager->StartTimer(owner_, static_cast<UINT>(id), static_cast<UINT>(elapse))) {
        return false;
    }
    animations_.push_back(Animation{id, elapse, totalFrames, 0, loop, true});
    return true;
}

void CUIAnimation::StopAnimation(int id) {
    if (id != 0) {
        if (Find(id) != nullptr) {
            StopTimer(id);
            animations_.erase(std::remove_if(animations_.begin(), animations_.end(),
                                             [id](const Animation& animation) { return animation.id == id; }),
                              animations_.end());
        }
        return;
    }
    for (const Animation& animation : animations_) {
        StopTimer(animation.id);
    }
    animations_.clear();
}

bool CUIAnimation::IsAnimationRunning(int id) {
    return Find(id) != nullptr;
}

int CUIAnimation::CurrentFrame(int id) {
    const Animation* animation = Find(id);
    return animation != nullptr ? animation->currentFrame : -1;
}

bool CUIAnimation::SetCurrentFrame(int frame, int id) {
    Animation* animation = Find(id);
    if (animation == nullptr || frame < 0 || frame > animation->totalFrames) {
        return false;
    }
    animation->currentFrame = frame;
    return true;
}

void CUIAnimation::OnAnimationStep(int, int, int) {}

void CUIAnimation::OnAnimationStart(int, bool) {}

void CUIAnimation::OnAnimationStop(int) {}

// The owner's handlers may start or stop animations, this one included, so
// the record is looked up again after each of them.
void CUIAnimation::OnAnimationTimer(int id) {
    Animation* animation = Find(id);
    if (owner_ == nullptr || animation == nullptr) {
        return;
    }
    const int frame = animation->currentFrame;
    const int total = animation->totalFrames;
    if (frame == 0) {
        const bool firstLoop = animation->firstLoop;
        OnAnimationStart(id, firstLoop);
        if ((animation = Find(id)) == nullptr) {
            return;
        }
        animation->firstLoop = false;
    }
    OnAnimationStep(total, frame, id);
    if (Find(id) == nullptr) {
        return;
    }
    if (frame >= total) {
        OnAnimationStop(id);
        if ((animation = Find(id)) == nullptr) {
            return;
        }
        if (!animation->loop) {
            StopAnimation(id);
            return;
        }
        animation->currentFrame = 0;
    }
    if ((animation = Find(id)) != nullptr) {
        ++animation->currentFrame;
    }
}

}  // namespace Orvel
