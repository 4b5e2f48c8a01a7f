# The two commands a newcomer needs: `make demo` and `make test`.
# Each installs what is missing on the first run (apt, as root).

.PHONY: all setup dist test demo fuzz fuzz-long bench clean

all: dist

setup:
	@scripts/setup.sh

dist: setup
	@scripts/build.sh

test: dist
	@python3 tests/run_all.py

demo: dist
	@python3 scripts/demo.py

fuzz: setup
	@scripts/fuzz.sh $${FUZZ_SECONDS:-300}

# Every target for 20 minutes, two at a time; merges into tests/fuzz/corpus.
fuzz-long: setup
	@scripts/fuzz_long.sh $${FUZZ_SECONDS:-1200}

bench: dist
	@python3 bench/run.py

clean:
	rm -rf build dist
