// SPDX-License-Identifier: GPL-2.0
/*
 * Fake DDC/CI monitors for the kernel integration tests.
 *
 * Registers two I2C adapters, one per monitor, each with a plain-I2C
 * master_xfer that takes only writes to the DDC/CI address 0x37 (i2c-stub
 * speaks SMBus only, and a DDC/CI packet is a plain I2C write). Every write is
 * recorded and can be read back from the adapter's sysfs directory:
 *
 *   writes       one line per write, oldest first, as hex bytes starting with
 *                the data address, " refused" appended when it was refused;
 *                writing anything clears the record and ends a busy window
 *
 * The module parameter "busy_ms" (write-only, at any time) gives every
 * monitor a real monitor's busy window: for that long after it took a
 * message, any message is refused with -ENXIO, as a busy monitor does.
 * 0, the default, takes every message.
 */

#include <linux/i2c.h>
#include <linux/kernel.h>
#include <linux/ktime.h>
#include <linux/module.h>
#include <linux/mutex.h>
#include <linux/string.h>

#define DDC_CI_ADDRESS 0x37
/* Enough for the tests' longest run of writes between two clears, and
 * few enough that the record fits the one page sysfs shows. */
#define MAX_RECORDED_WRITES 128
/* A DDC/CI write is short; longer messages are truncated in the record. */
#define MAX_RECORDED_BYTES 16
#define MONITORS 2

struct recorded_write {
	u8 bytes[MAX_RECORDED_BYTES];
	u8 length;
	bool refused;
};

struct fake_monitor {
	struct i2c_adapter adapter;
	struct mutex lock; /* guards everything below */
	struct recorded_write writes[MAX_RECORDED_WRITES];
	unsigned int write_count;
	ktime_t last_taken; /* long past at first and after a clear */
};

static unsigned int busy_ms;
module_param(busy_ms, uint, 0200);
MODULE_PARM_DESC(busy_ms, "how long a monitor refuses messages after the last it took");

static struct fake_monitor fake_monitors[MONITORS];

static int record_write(struct fake_monitor *monitor, const struct i2c_msg *msg)
{
	struct recorded_write *entry;
	bool refused;

	mutex_lock(&monitor->lock);
	refused = ktime_ms_delta(ktime_get(), monitor->last_taken) < READ_ONCE(busy_ms);
	if (monitor->write_count < MAX_RECORDED_WRITES) {
		entry = &monitor->writes[monitor->write_count++];
		entry->length = min_t(u16, msg->len, MAX_RECORDED_BYTES);
		memcpy(entry->bytes, msg->buf, entry->length);
		entry->refused = refused;
	}
	if (!refused)
		monitor->last_taken = ktime_get();
	mutex_unlock(&monitor->lock);
	return refused ? -ENXIO : 0;
}

static int fake_master_xfer(struct i2c_adapter *adapter, struct i2c_msg *msgs, int num)
{
	struct fake_monitor *monitor = i2c_get_adapdata(adapter);
	int i, status;

	for (i = 0; i < num; i++) {
		if (msgs[i].addr != DDC_CI_ADDRESS || (msgs[i].flags & I2C_M_RD))
			return -ENXIO;
		status = record_write(monitor, &msgs[i]);
		if (status)
			return status;
	}
	return num;
}

static u32 fake_functionality(struct i2c_adapter *adapter)
{
	return I2C_FUNC_I2C;
}

static const struct i2c_algorithm fake_algorithm = {
	.master_xfer = fake_master_xfer,
	.functionality = fake_functionality,
};

static struct fake_monitor *monitor_of(struct device *dev)
{
	return i2c_get_adapdata(to_i2c_adapter(dev));
}

static ssize_t writes_show(struct device *dev, struct device_attribute *attr, char *buf)
{
	struct fake_monitor *monitor = monitor_of(dev);
	ssize_t used = 0;
	unsigned int i, j;

	mutex_lock(&monitor->lock);
	for (i = 0; i < monitor->write_count; i++) {
		const struct recorded_write *entry = &monitor->writes[i];

		for (j = 0; j < entry->length; j++)
			used += sysfs_emit_at(buf, used, j ? " %02x" : "%02x", entry->bytes[j]);
		used += sysfs_emit_at(buf, used, "%s\n", entry->refused ? " refused" : "");
	}
	mutex_unlock(&monitor->lock);
	return used;
}

static ssize_t writes_store(struct device *dev, struct device_attribute *attr, const char *buf,
			    size_t count)
{
	struct fake_monitor *monitor = monitor_of(dev);

	mutex_lock(&monitor->lock);
	monitor->write_count = 0;
	monitor->last_taken = 0;
	mutex_unlock(&monitor->lock);
	return count;
}
static DEVICE_ATTR_RW(writes);

static struct attribute *fake_monitor_attrs[] = {
	&dev_attr_writes.attr,
	NULL,
};
ATTRIBUTE_GROUPS(fake_monitor);

static void unregister_first(unsigned int count)
{
	while (count > 0)
		i2c_del_adapter(&fake_monitors[--count].adapter);
}

static int register_monitor(struct fake_monitor *monitor, unsigned int index)
{
	struct i2c_adapter *adapter = &monitor->adapter;

	mutex_init(&monitor->lock);
	adapter->owner = THIS_MODULE;
	adapter->algo = &fake_algorithm;
	adapter->dev.groups = fake_monitor_groups;
	snprintf(adapter->name, sizeof(adapter->name), "glimmerbox fake monitor %u", index);
	i2c_set_adapdata(adapter, monitor);
	return i2c_add_adapter(adapter);
}

static int __init fake_monitor_init(void)
{
	unsigned int i;
	int status;

	for (i = 0; i < MONITORS; i++) {
		status = register_monitor(&fake_monitors[i], i);
		if (status) {
			unregister_first(i);
			return status;
		}
	}
	return 0;
}

static void __exit fake_monitor_exit(void)
{
	unregister_first(MONITORS);
}

module_init(fake_monitor_init);
module_exit(fake_monitor_exit);

MODULE_DESCRIPTION("Fake DDC/CI monitors on plain-I2C adapters, for tests");
MODULE_LICENSE("GPL");
