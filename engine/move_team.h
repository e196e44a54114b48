#pragma once
// Worker threads that share a simulation step's kill and move with the calling thread.
// They live as long as the module, parked between steps. A step that will share its
// work rouses them as it begins, so that they are awake by the time the work is handed
// out, and each spins a while for the next job before it parks again: waking a parked
// thread takes as long as moving some thousand particles. A job is work that whoever
// runs it takes piece by piece (blocks of slots): a worker that comes late, on a
// machine busy with other work, finds less or nothing left, and the calling thread
// waits only for the workers that joined.
#include <atomic>
#include <cfenv>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

class TMoveTeam {
 public:
  // Starts up to Workers threads (fewer when the system refuses more).
  explicit TMoveTeam(unsigned Workers);
  // Stops and joins the workers.
  ~TMoveTeam();
  TMoveTeam(const TMoveTeam&) = delete;
  TMoveTeam& operator=(const TMoveTeam&) = delete;

  unsigned Workers() const { return static_cast<unsigned>(threads_.size()); }
  // Wakes the parked workers to wait, spinning, for a while for a job of up to Count
  // workers; those beyond Count park again.
  void Rouse(unsigned Count);
  // Parks the spinning workers: no job comes soon (the step's work is done).
  void Rest();
  // Runs Job on the calling thread and on up to Count workers that join before the
  // calling thread's run of it ends, each under the calling thread's floating-point
  // environment; returns when every run has ended, rethrowing the first failure. False,
  // with nothing run, while another thread's Run holds the team.
  bool Run(unsigned Count, const std::function<void()>& Job);

 private:
  void WorkerLoop(unsigned K);
  // Joins the job of State's number unless it is closed or full; false if not joined.
  bool Join(std::uint64_t State, unsigned K);

  // Bumped by every Rouse and Run and by the end: what a parked worker waits on.
  std::atomic<std::uint64_t> signal_{0};
  // Bumped by every Rest: a spinning worker parks.
  std::atomic<std::uint64_t> rest_{0};
  // The job's number (high 32 bits), whether it is closed to joiners (bit 31) and the
  // workers that joined it (low bits), in one word that joining and closing change.
  std::atomic<std::uint64_t> state_{0};
  std::atomic<unsigned> done_{0};
  std::atomic<bool> quit_{false};
  std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
  // Written before a job is published, read by its workers.
  const std::function<void()>* task_ = nullptr;
  std::atomic<unsigned> count_{0};
  // The workers the last Rouse or Run asked for: only these spin.
  std::atomic<unsigned> wanted_{0};
  std::fenv_t environment_{};
  // One a thread (0 the calling one), each written only by its own thread.
  std::vector<std::exception_ptr> failures_;
  std::vector<std::thread> threads_;
};

// The module's team: up to three workers, one fewer than the processors, made on first use.
TMoveTeam& MoveTeam();
