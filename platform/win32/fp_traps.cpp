#include "fp_traps.h"

#include <windows.h>

#include <float.h>
#include <math.h>
#include <xmmintrin.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <cstdlib>
#include <cstring>

#include "expr/evaluator.h"
#include "expr/status.h"
#include "platform/ui.h"

namespace qv {

namespace {

constexpr DWORD STATUS_FLOAT_MULTIPLE_FAULTS_CODE = 0xC00002B4;
constexpr DWORD STATUS_FLOAT_MULTIPLE_TRAPS_CODE = 0xC00002B5;

// Exception bits shared by the x87 status word and MXCSR (masks: x87 control word bits 0-5, MXCSR
// bits 7-12).
constexpr unsigned FP_INVALID = 0x01;
constexpr unsigned FP_ZERO_DIVIDE = 0x04;
constexpr unsigned FP_OVERFLOW = 0x08;
constexpr unsigned FP_ALL = 0x3F;
constexpr unsigned TRAPPED = FP_INVALID | FP_ZERO_DIVIDE | FP_OVERFLOW;
constexpr unsigned MXCSR_MASK_SHIFT = 7;

// Offsets in the FXSAVE image of CONTEXT::ExtendedRegisters.
constexpr int FXSAVE_FCW = 0;
constexpr int FXSAVE_FSW = 2;
constexpr int FXSAVE_MXCSR = 24;

unsigned short g_x87Control = 0;
unsigned g_mxcsr = 0;
bool g_installed = false;

unsigned short readX87Control() {
  unsigned short cw = 0;
  __asm__ volatile("fnstcw %0" : "=m"(cw));
  return cw;
}

void loadX87Control(unsigned short cw) { __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(cw)); }

EvalStatus bitsForCause(unsigned cause) {
  EvalStatus bits = 0;
  if (cause & FP_INVALID) bits |= evalerr::InvalidOperation;
  if (cause & FP_ZERO_DIVIDE) bits |= evalerr::DivideByZero;
  if (cause & FP_OVERFLOW) bits |= evalerr::Overflow;
  if (cause & ~TRAPPED & FP_ALL) bits |= evalerr::Underflow;
  return bits ? bits : evalerr::Underflow;
}

EvalStatus bitsForException(DWORD code, const CONTEXT* ctx) {
  switch (code) {
    case EXCEPTION_FLT_INVALID_OPERATION: return evalerr::InvalidOperation;
    case EXCEPTION_FLT_DIVIDE_BY_ZERO: return evalerr::DivideByZero;
    case EXCEPTION_FLT_OVERFLOW: return evalerr::Overflow;
    case STATUS_FLOAT_MULTIPLE_FAULTS_CODE:
    case STATUS_FLOAT_MULTIPLE_TRAPS_CODE:
      if (ctx->ContextFlags & CONTEXT_EXTENDED_REGISTERS) {
        DWORD mxcsr;
        std::memcpy(&mxcsr, ctx->ExtendedRegisters + FXSAVE_MXCSR, sizeof mxcsr);
        const unsigned flags = mxcsr & FP_ALL;
        const unsigned unmaskedFlags = flags & ~(mxcsr >> MXCSR_MASK_SHIFT) & FP_ALL;
        return bitsForCause(unmaskedFlags ? unmaskedFlags : flags);
      }
      return evalerr::Underflow;
    default: return evalerr::Underflow;
  }
}

bool isFloatingPointException(DWORD code) {
  return (code >= EXCEPTION_FLT_DENORMAL_OPERAND && code <= EXCEPTION_FLT_UNDERFLOW) ||
         code == STATUS_FLOAT_MULTIPLE_FAULTS_CODE || code == STATUS_FLOAT_MULTIPLE_TRAPS_CODE;
}

// Lets the interrupted instruction run again with every exception masked and none pending: it
// completes with the default result, and the evaluation unwinds at its next node because its word
// is no longer zero. The evaluation re-arms the traps when it ends.
void maskInContext(CONTEXT* ctx) {
  ctx->FloatSave.ControlWord |= FP_ALL;
  ctx->FloatSave.StatusWord &= ~0x80FFu;
  if (ctx->ContextFlags & CONTEXT_EXTENDED_REGISTERS) {
    WORD fcw, fsw;
    DWORD mxcsr;
    std::memcpy(&fcw, ctx->ExtendedRegisters + FXSAVE_FCW, sizeof fcw);
    std::memcpy(&fsw, ctx->ExtendedRegisters + FXSAVE_FSW, sizeof fsw);
    std::memcpy(&mxcsr, ctx->ExtendedRegisters + FXSAVE_MXCSR, sizeof mxcsr);
    fcw = static_cast<WORD>(fcw | FP_ALL);
    fsw = static_cast<WORD>(fsw & ~0x80FFu);
    mxcsr = (mxcsr | (FP_ALL << MXCSR_MASK_SHIFT)) & ~FP_ALL;
    std::memcpy(ctx->ExtendedRegisters + FXSAVE_FCW, &fcw, sizeof fcw);
    std::memcpy(ctx->ExtendedRegisters + FXSAVE_FSW, &fsw, sizeof fsw);
    std::memcpy(ctx->ExtendedRegisters + FXSAVE_MXCSR, &mxcsr, sizeof mxcsr);
  }
}

[[noreturn]] void fatalTrap() {
  userInterface().messageBox("Unhandled floating-point exception! Press OK to exit program.");
  std::fflush(nullptr);
  ExitProcess(3);
}

LONG CALLBACK floatingPointTrapHandler(EXCEPTION_POINTERS* info) {
  const DWORD code = info->ExceptionRecord->ExceptionCode;
  if (!isFloatingPointException(code)) return EXCEPTION_CONTINUE_SEARCH;
  if (!evalStatusInProgress()) fatalTrap();
  raiseTrapInEvaluation(bitsForException(code, info->ContextRecord));
  maskInContext(info->ContextRecord);
  return EXCEPTION_CONTINUE_EXECUTION;
}

int __cdecl mathErrorHook(struct _exception* e) {
  EvalStatus* status = evalStatusInProgress();
  if (!status) return 0;  // the library's default handling
  // A NaN argument only propagates (quietly, as IEEE arithmetic does everywhere else); this library
  // reports it as a domain error where others report nothing, so it is not an error here either.
  if (std::isnan(e->arg1) || (std::strcmp(e->name, "pow") == 0 && std::isnan(e->arg2))) {
    e->retval = std::numeric_limits<double>::quiet_NaN();
    return 1;
  }
  EvalStatus bit;
  switch (e->type) {
    case _DOMAIN:
      if (std::strcmp(e->name, "pow") == 0 || std::strcmp(e->name, "sqrt") == 0)
        bit = evalerr::NegativeRoot;
      else if (std::strncmp(e->name, "log", 3) == 0)
        bit = evalerr::LogDomain;
      else
        bit = evalerr::DomainError;
      break;
    case _SING: bit = evalerr::DivideByZero; break;
    case _OVERFLOW: bit = evalerr::Overflow; break;
    case _TLOSS:
    case _PLOSS: bit = evalerr::PrecisionLoss; break;
    default: bit = evalerr::Underflow; break;
  }
  *status |= bit;
  e->retval = 1.0;
  return 1;
}

void rearm() { rearmFloatingPointTraps(); }

}  // namespace

bool installFloatingPointTraps(bool unmask) {
  if (!g_installed) {
    if (!AddVectoredExceptionHandler(1, floatingPointTrapHandler)) return false;
    __mingw_setusermatherr(mathErrorHook);
    setTrapRecovery(rearm);
    g_installed = true;
  }
  g_x87Control = readX87Control();
  g_mxcsr = _mm_getcsr() & ~FP_ALL;
  if (unmask) {
    g_x87Control = static_cast<unsigned short>(g_x87Control & ~TRAPPED);
    g_mxcsr &= ~(TRAPPED << MXCSR_MASK_SHIFT);
  } else {
    g_x87Control = static_cast<unsigned short>(g_x87Control | FP_ALL);
    g_mxcsr |= FP_ALL << MXCSR_MASK_SHIFT;
  }
  rearmFloatingPointTraps();
  return true;
}

void installFloatingPointTrapsOrAbort(bool unmask) {
  if (installFloatingPointTraps(unmask)) return;
  userInterface().messageBox("Couldn't set up floating-point error handler!");
  std::abort();
}

void rearmFloatingPointTraps() {
  loadX87Control(g_x87Control);
  _mm_setcsr(g_mxcsr);
}

}  // namespace qv
