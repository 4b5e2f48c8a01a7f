# The two commands a newcomer needs: `make demo` and `make test`.
# Each installs what is missing on the first run (apt, as root).

.PHONY: all setup dist test demo fuzz bench clean

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

bench: dist
	@python3 bench/run.py

clean:
	rm -rf build dist
