// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/step_thread.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <exception>

#include "qt/fatal_error.h"

namespace velmo::qt {
namespace {

StepThread* current = nullptr;

}  // namespace

StepThread::StepThread() : thread_(std::make_unique<QThread>()) {
  thread_->setObjectName("velmo-steps");  // the thread's name in ps and top
  thread_->start();
  context_ = new QObject;
  context_->moveToThread(thread_.get());
  try {
    run([this] {
      threadId_ = gettid();
      driver_ = std::make_unique<RealTimeTimerDriver>();
    });
  } catch (...) {
    context_->deleteLater();
    thread_->quit();
    thread_->wait();
    throw;
  }
  current = this;
}

StepThread::~StepThread() {
  current = nullptr;
  run([this] { driver_.reset(); });
  context_->deleteLater();
  thread_->quit();
  thread_->wait();
}

void StepThread::run(const std::function<void()>& work) {
  if (QThread::currentThread() == thread_.get()) return work();
  std::exception_ptr failure;
  QMetaObject::invokeMethod(
      context_,
      [&] {
        try {
          work();
        } catch (...) {
          failure = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (failure) std::rethrow_exception(failure);
}

bool runStepWork(const std::function<void()>& work) {
  return runGuarded([&] {
    if (current) {
      current->run(work);
    } else {
      work();
    }
  });
}

void onApplicationThread(const QPointer<QObject>& context, std::function<void()> work) {
  QCoreApplication* application = QCoreApplication::instance();
  if (QThread::currentThread() == application->thread()) {
    if (context) work();
    return;
  }
  QMetaObject::invokeMethod(
      application,
      [context, work = std::move(work)] {
        if (context) work();
      },
      Qt::QueuedConnection);
}

}  // namespace velmo::qt
