# For engine-testing frameworks, which build an engine with `make EXE=<name> CXX=<compiler>` in the
# repository root and then run `./<name> bench`: builds the engine for this machine's processor,
# profile-guided with GCC, through CMake, into ./<name>. With TUNING=1 the engine also declares
# every parameter as a spin option, for tuning frameworks that set only declared options.
EXE ?= velmar
CXX ?= g++
compiler := $(notdir $(firstword $(CXX)))
TUNING ?= 0
tuning := $(if $(filter 1,$(TUNING)),ON,OFF)
BUILD := build-make-$(compiler)$(if $(filter ON,$(tuning)),-tuning)
PGO := $(if $(findstring clang,$(shell $(CXX) --version 2>/dev/null)),OFF,ON)

.PHONY: all $(EXE)
all: $(EXE)

$(EXE):
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER="$(CXX)" -DVELMAR_CPU=native \
	  -DVELMAR_PGO=$(PGO) -DVELMAR_TESTS=OFF -DVELMAR_BENCH=OFF \
	  -DVELMAR_TUNING_OPTIONS=$(tuning)
	cmake --build $(BUILD) -j$$(nproc) --target velmar
	cp $(BUILD)/velmar $(EXE)
